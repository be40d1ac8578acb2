# The shipped build (build/shipped/, win32 thread-model compilers), built before anything at the
# top level, and its libraries as imported targets under their own names, so that test programs
# link exactly the code that ships. `cmake --build build --target qvlswap` (or qvlsim) rebuilds it.
include(ExternalProject)
set(QVL_SHIPPED_DIR ${CMAKE_BINARY_DIR}/shipped)
set(lib ${QVL_SHIPPED_DIR}/lib)
ExternalProject_Add(qvl_shipped
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${QVL_SHIPPED_DIR}
  CMAKE_ARGS -DQVL_SHIPPED=ON -DQVL_BIN_DIR=${QVL_BIN_DIR} -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
             -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-i686-win32.cmake
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${lib}/libqvldev.dll.a ${lib}/libqvlclient.dll.a ${lib}/libqvlmodel.a ${lib}/libqvlconsole.a)

foreach(dll qvldev qvlclient)
  add_library(${dll} SHARED IMPORTED GLOBAL)
  set_target_properties(${dll} PROPERTIES
    IMPORTED_LOCATION ${QVL_BIN_DIR}/${dll}.dll
    IMPORTED_IMPLIB ${lib}/lib${dll}.dll.a
    INTERFACE_INCLUDE_DIRECTORIES "${PROJECT_SOURCE_DIR}/shared;${PROJECT_SOURCE_DIR}/common")
  add_dependencies(${dll} qvl_shipped)
endforeach()
set_property(TARGET qvldev APPEND PROPERTY INTERFACE_INCLUDE_DIRECTORIES ${PROJECT_SOURCE_DIR}/qvldev)

# The model reaches the client library through its header only: a test program that links it
# links qvlclient (or binds it) itself.
add_library(qvlmodel STATIC IMPORTED GLOBAL)
set_target_properties(qvlmodel PROPERTIES
  IMPORTED_LOCATION ${lib}/libqvlmodel.a
  INTERFACE_INCLUDE_DIRECTORIES "${PROJECT_SOURCE_DIR}/model;${PROJECT_SOURCE_DIR}/common"
  INTERFACE_LINK_LIBRARIES "qvlclient_api;gdi32")
add_dependencies(qvlmodel qvl_shipped)

set(console ${PROJECT_SOURCE_DIR}/console)
add_library(qvlconsole STATIC IMPORTED GLOBAL)
set_target_properties(qvlconsole PROPERTIES
  IMPORTED_LOCATION ${lib}/libqvlconsole.a
  INTERFACE_INCLUDE_DIRECTORIES "${console};${console}/ui;${console}/res"
  INTERFACE_LINK_LIBRARIES "qvlmodel;qvlclient;libjpeg-turbo::jpeg-static;comctl32;gdi32;user32;shell32;ole32;uuid")
add_dependencies(qvlconsole qvl_shipped)

foreach(program qvlswap qvlsim)
  add_custom_target(${program})
  add_dependencies(${program} qvl_shipped)
endforeach()
