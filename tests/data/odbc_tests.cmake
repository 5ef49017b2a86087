# The ODBC driver's tests, run against a private PostgreSQL server, and the support library that
# starts such a server for every suite that needs one.

add_library(briskal_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/../support/postgres_server.cpp)
target_include_directories(briskal_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(briskal_test_support PUBLIC GTest::gtest briskal_test_process)

briskal_test(odbc_tests ${CMAKE_CURRENT_LIST_DIR}/odbc_driver_test.cpp)
target_link_libraries(odbc_tests PRIVATE briskal_data briskal_test_support)
