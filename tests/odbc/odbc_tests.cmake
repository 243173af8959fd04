# Extra wiring of the dblib and dsntool test programs: the helpers that give each test its
# own ODBC configuration (and a PostgreSQL server), the internals of the libraries, and the
# built libqndb.so and velder that the tests load and run the way real hosts do.
find_package(PkgConfig REQUIRED)
if(NOT TARGET PkgConfig::ODBC)
  pkg_check_modules(ODBC REQUIRED IMPORTED_TARGET GLOBAL odbc)
endif()
if(NOT TARGET PkgConfig::ODBCINST)
  pkg_check_modules(ODBCINST REQUIRED IMPORTED_TARGET GLOBAL odbcinst)
endif()

add_library(odbc_test_support STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ODBCSandbox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PGServer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ODBCReader.cpp)
target_link_libraries(odbc_test_support PUBLIC PkgConfig::ODBC PkgConfig::ODBCINST ${CMAKE_DL_LIBS})

if(TARGET dblib_tests)
  target_link_libraries(dblib_tests PRIVATE dblib_core odbc_test_support)
  add_dependencies(dblib_tests dblib)
  target_compile_definitions(dblib_tests PRIVATE QUILLON_BIN_DIR="${PROJECT_BINARY_DIR}/bin")
  # The test program installs the data-source chooser that libqndb.so looks up by name.
  set_target_properties(dblib_tests PROPERTIES ENABLE_EXPORTS ON)
  # The public header must compile on its own, strictly.
  set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/dblib/IQXDBHeaderTest.cpp
                              PROPERTIES COMPILE_OPTIONS "-pedantic;-Werror")
endif()

if(TARGET dsntool_tests)
  # A driver set-up library with ConfigDSN, so that the installer's own path can be watched.
  add_library(dsntool_test_setup MODULE ${CMAKE_CURRENT_LIST_DIR}/RecordingSetup.cpp)
  set_target_properties(dsntool_test_setup PROPERTIES PREFIX "lib")
  target_link_libraries(dsntool_test_setup PRIVATE PkgConfig::ODBCINST)
  target_link_libraries(dsntool_tests PRIVATE odbc_test_support)
  add_dependencies(dsntool_tests velder dblib dsntool_test_setup)
  target_compile_definitions(dsntool_tests PRIVATE QUILLON_BIN_DIR="${PROJECT_BINARY_DIR}/bin"
                             QUILLON_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples")
endif()
