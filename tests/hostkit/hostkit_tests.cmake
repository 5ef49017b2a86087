# The stand-in host's suites. The demo database also runs on PostgreSQL when the private server
# support of the ODBC suites is part of the build.

briskal_test(hostkit_tests ${CMAKE_CURRENT_LIST_DIR}/demo_database_test.cpp ${CMAKE_CURRENT_LIST_DIR}/template_store_test.cpp
                           ${CMAKE_CURRENT_LIST_DIR}/design_document_test.cpp ${CMAKE_CURRENT_LIST_DIR}/print_history_test.cpp
                           ${CMAKE_CURRENT_LIST_DIR}/run_snapshot_test.cpp ${CMAKE_CURRENT_LIST_DIR}/gs1_test.cpp
                           ${CMAKE_CURRENT_LIST_DIR}/printer_profiles_test.cpp)
target_link_libraries(hostkit_tests PRIVATE briskal_hostkit briskal_test_databases briskal_test_files)
target_compile_definitions(hostkit_tests PRIVATE BRISKAL_DATA_FOLDER="${PROJECT_SOURCE_DIR}/data")

if(TARGET briskal_test_support)
  target_sources(hostkit_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/demo_database_postgres_test.cpp)
  target_link_libraries(hostkit_tests PRIVATE briskal_test_support)
endif()
