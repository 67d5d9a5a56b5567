# The FreeTDS ODBC driver, registered for the tests under the name the program
# connects with ("SQL Server") in a driver list the project owns; tests point
# ODBCSYSINI at its folder, so nothing system-wide is needed to run them.
# The driver is always this machine's (a file, not a library to link): in
# the Windows build, Wine's odbc32 hands the calls to this machine's
# unixODBC, which loads it.
find_package(ODBC REQUIRED)
find_file(TDSODBC_DRIVER NAMES libtdsodbc.so
  PATHS /usr/lib/x86_64-linux-gnu/odbc /usr/lib/aarch64-linux-gnu/odbc /usr/lib/odbc /usr/local/lib
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT TDSODBC_DRIVER)
  message(FATAL_ERROR "FreeTDS ODBC driver (libtdsodbc.so, Debian package tdsodbc) not found")
endif()
set(ONDREL_ODBCSYSINI ${CMAKE_BINARY_DIR}/odbc)
file(MAKE_DIRECTORY ${ONDREL_ODBCSYSINI})
file(WRITE ${ONDREL_ODBCSYSINI}/odbcinst.ini
  "[SQL Server]\nDescription=FreeTDS for Ondrel's tests\nDriver=${TDSODBC_DRIVER}\nUsageCount=1\n")
file(WRITE ${ONDREL_ODBCSYSINI}/odbc.ini "")
