# The report service: template parsing and writing, layout, rendering to PDF and PNG (checked
# with poppler's pdfinfo and zbar's zbarimg when they are installed), and whole runs through the
# real component's host context.

briskal_test(report_tests ${CMAKE_CURRENT_LIST_DIR}/report_test.cpp)
target_link_libraries(report_tests PRIVATE briskal_hostkit briskal_test_databases briskal_test_process briskal_test_files
                                           PkgConfig::CAIRO)
target_compile_definitions(report_tests PRIVATE
  BRISKAL_COMPONENT="$<TARGET_FILE:DAZO_BRISKAL>"
  BRISKAL_DATA_FOLDER="${PROJECT_SOURCE_DIR}/data")
add_dependencies(report_tests DAZO_BRISKAL)
