# The report service: template parsing and writing, layout, rendering to PDF and PNG (checked
# with poppler's pdfinfo, pdftoppm and zbar's zbarimg when they are installed), PDF documents
# written as their pages come, CUPS jobs on a private print server, whole runs through the real
# component's host context, and the files a run leaves in the folder it writes to.

briskal_test(report_tests ${CMAKE_CURRENT_LIST_DIR}/report_test.cpp ${CMAKE_CURRENT_LIST_DIR}/pdf_stream_test.cpp
                          ${CMAKE_CURRENT_LIST_DIR}/output_files_test.cpp ${CMAKE_CURRENT_LIST_DIR}/label_stock_test.cpp
                          ${CMAKE_CURRENT_LIST_DIR}/label_sheets_test.cpp ${CMAKE_CURRENT_LIST_DIR}/template_rewrite_test.cpp)
target_link_libraries(report_tests PRIVATE briskal_hostkit briskal_test_databases briskal_test_process briskal_test_files
                                           briskal_test_print_servers PkgConfig::CAIRO Cups::Cups)
target_compile_definitions(report_tests PRIVATE
  BRISKAL_COMPONENT="$<TARGET_FILE:DAZO_BRISKAL>"
  BRISKAL_DATA_FOLDER="${PROJECT_SOURCE_DIR}/data"
  BRISKAL_FUZZ_CORPUS="${PROJECT_SOURCE_DIR}/fuzz/corpus/template")
add_dependencies(report_tests DAZO_BRISKAL)
