# The device-management page: its tree page, information panel and roll-over button.
target_sources(qvlconsole PRIVATE
  ui/deviceMan.cpp
  ui/shortcuts.cpp
  ui/accessible.cpp
  ui/deviceView.cpp
  ui/RTreeView.cpp
  ui/infoBase.cpp
  ui/infoDevice.cpp
  ui/SpeedBut.cpp)
