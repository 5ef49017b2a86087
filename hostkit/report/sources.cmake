# The stand-in host's report service: template parser and writer, layout, cairo rendering with
# zint barcodes, CUPS printing. Paths relative to hostkit/.
set(HOSTKIT_REPORT_SOURCES
  report/barcode_painter.cpp
  report/builtin_stock.cpp
  report/composed_text.cpp
  report/cairo_handles.cpp
  report/cairo_renderer.cpp
  report/cups_printer.cpp
  report/cups_queue.cpp
  report/cups_stream.cpp
  report/destination_kind.cpp
  report/drawing.cpp
  report/drawing_thread.cpp
  report/label_numbers.cpp
  report/label_stock.cpp
  report/page_drawer.cpp
  report/page_layers.cpp
  report/pdf_document.cpp
  report/png_writer.cpp
  report/print_failure.cpp
  report/report_layout.cpp
  report/run_output.cpp
  report/run_record.cpp
  report/report_service.cpp
  report/report_template.cpp
  report/sheet_imposer.cpp
  report/staged_file.cpp
  report/stock_file.cpp
  report/template_engine.cpp
  report/template_parser.cpp
  report/template_rewrite.cpp
  report/zint_input.cpp
  report/template_writer.cpp
  report/text_measure.cpp
  report/xml_reader.cpp
)
# Packages these sources need, found in the top-level CMakeLists.txt:
#   pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)   -> PkgConfig::CAIRO (libcairo2-dev)
#   find_package(Cups REQUIRED)                               -> Cups::Cups (libcups2-dev has no .pc file)
#   zint has no package file: find zint.h and libzint         -> zint::zint (libzint-dev)
#   find_package(PNG REQUIRED)                                -> PNG::PNG (libpng-dev, with cairo's)
set(HOSTKIT_REPORT_PACKAGES PkgConfig::CAIRO Cups::Cups zint::zint PNG::PNG)
