# The label-printer output (EPL2, ZPL) and the devices it writes to, relative to hostkit/.
# Images are read and scaled with cairo, barcodes drawn as graphics with zint; CUPS queues and
# IPP printers are reached through libcups. The targets come from the top-level CMakeLists.txt.

set(HOSTKIT_LABELPRINTER_SOURCES
  labelprinter/barcode_fit.cpp
  labelprinter/cups_device.cpp
  labelprinter/destination.cpp
  labelprinter/epl2_writer.cpp
  labelprinter/file_device.cpp
  labelprinter/headless_label_printer.cpp
  labelprinter/ipp_device.cpp
  labelprinter/label_job.cpp
  labelprinter/label_writer.cpp
  labelprinter/mono_bitmap.cpp
  labelprinter/printer_settings.cpp
  labelprinter/printer_status.cpp
  labelprinter/status_query.cpp
  labelprinter/stream_raster.cpp
  labelprinter/symbol_bitmap.cpp
  labelprinter/tcp_connect.cpp
  labelprinter/tcp_device.cpp
  labelprinter/windows1252.cpp
  labelprinter/zpl_writer.cpp
)
set(HOSTKIT_LABELPRINTER_LIBRARIES PkgConfig::CAIRO Cups::Cups zint::zint)
