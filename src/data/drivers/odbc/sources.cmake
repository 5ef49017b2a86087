# The ODBC driver, relative to src/data; the library linking them needs PkgConfig::ODBC.
set(ODBC_DRIVER_SOURCES
  drivers/odbc/odbc_error.cpp
  drivers/odbc/odbc_factory.cpp
  drivers/odbc/odbc_params.cpp
  drivers/odbc/odbc_result.cpp
  drivers/odbc/odbc_session.cpp
  drivers/odbc/odbc_statement.cpp
  drivers/odbc/odbc_text.cpp
)
