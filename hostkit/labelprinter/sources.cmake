# The label-printer output (EPL2) and the devices it writes to, relative to hostkit/.
# Images are read and scaled with cairo; CUPS queues are reached through libcups. Both targets
# come from the top-level CMakeLists.txt.

set(HOSTKIT_LABELPRINTER_SOURCES
  labelprinter/cups_device.cpp
  labelprinter/destination.cpp
  labelprinter/epl2_writer.cpp
  labelprinter/file_device.cpp
  labelprinter/headless_label_printer.cpp
  labelprinter/mono_bitmap.cpp
  labelprinter/tcp_device.cpp
  labelprinter/windows1252.cpp
)
set(HOSTKIT_LABELPRINTER_LIBRARIES PkgConfig::CAIRO Cups::Cups)
