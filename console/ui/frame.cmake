# The console's frame: the window layer, main window, server manager, About dialog and program
# start, added to the console library; and the program itself.
target_sources(qvlconsole PRIVATE
  ui/win/window.cpp
  ui/win/subclass.cpp
  ui/win/focus.cpp
  ui/pageBase.cpp
  ui/serverMan.cpp
  ui/MainUnit.cpp
  ui/trayHealth.cpp
  ui/AboutForm.cpp
  ui/jpegPicture.cpp
  ui/program.cpp
  ui/timeline.cpp)
target_include_directories(qvlconsole PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/ui ${CMAKE_CURRENT_SOURCE_DIR}/res)
target_link_libraries(qvlconsole PUBLIC libjpeg-turbo::jpeg-static shell32 uuid)

# Pictures kept as readable pixel art, turned into the formats the resource compiler takes.
set(res ${CMAKE_CURRENT_SOURCE_DIR}/res)
set(gen ${CMAKE_CURRENT_BINARY_DIR}/res)
file(MAKE_DIRECTORY ${gen})
add_custom_command(OUTPUT ${gen}/qvlswap.ico
  COMMAND convert ${res}/qvlswap.xpm ${gen}/qvlswap.ico DEPENDS ${res}/qvlswap.xpm)
add_custom_command(OUTPUT ${gen}/makerlogo.bmp
  COMMAND convert ${res}/makerlogo.xpm -type Palette -colors 16 BMP3:${gen}/makerlogo.bmp
  DEPENDS ${res}/makerlogo.xpm)
configure_file(${res}/background.jpg ${gen}/background.jpg COPYONLY)
configure_file(${res}/qvlswap.manifest ${gen}/qvlswap.manifest COPYONLY)
# Programs that link the console library also carry its resources (the GUI tests do).
add_custom_target(qvlswap_pictures DEPENDS ${gen}/qvlswap.ico ${gen}/makerlogo.bmp)
add_dependencies(qvlconsole qvlswap_pictures)

add_executable(qvlswap WIN32 ui/qvlswap.cpp res/qvlswap.rc)
target_link_libraries(qvlswap PRIVATE qvlconsole comctl32)
set_source_files_properties(res/qvlswap.rc PROPERTIES
  OBJECT_DEPENDS "${gen}/qvlswap.ico;${gen}/makerlogo.bmp;${res}/background.jpg;${res}/qvlswap.manifest;${res}/resource.h")
target_include_directories(qvlswap PRIVATE ${gen} ${res})
