# The libraries every part of the build links, found once for the whole tree.
#   mz::mariadb  MariaDB Connector/C (linked privately by data/ and by the test fixtures)

# A new prefix from scripts/windows/deps.sh (a changed recipe or version) replaces what earlier
# configure runs found in the old one.
if(MZ_WINDOWS_DEPS AND NOT MZ_WINDOWS_DEPS STREQUAL MZ_WINDOWS_DEPS_FOUND_IN)
  foreach(found IN ITEMS fmt_DIR GTest_DIR MZ_MARIADB_INCLUDE_DIR MZ_MARIADB_LIBRARY MZ_MARIADB_DLL)
    unset(${found} CACHE)
  endforeach()
  set(MZ_WINDOWS_DEPS_FOUND_IN "${MZ_WINDOWS_DEPS}" CACHE INTERNAL "The prefix the dependencies were found in")
endif()
find_package(fmt REQUIRED)
find_package(GTest REQUIRED)

if(NOT TARGET mz::mariadb)
  if(WIN32)
    # Cross builds find the library in the prefix built by scripts/windows/deps.sh, which writes
    # no pkg-config file there. Windows looks for DLLs beside the program: every program of the
    # build goes to one folder, and libmariadb.dll is copied there.
    find_path(MZ_MARIADB_INCLUDE_DIR mysql.h PATH_SUFFIXES mariadb REQUIRED)
    find_library(MZ_MARIADB_LIBRARY NAMES liblibmariadb.dll.a libmariadb.dll.a
                 PATH_SUFFIXES mariadb REQUIRED)
    get_filename_component(mz_mariadb_lib_dir "${MZ_MARIADB_LIBRARY}" DIRECTORY)
    find_file(MZ_MARIADB_DLL libmariadb.dll HINTS "${mz_mariadb_lib_dir}" "${mz_mariadb_lib_dir}/../bin"
              NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    add_library(mz::mariadb SHARED IMPORTED)
    set_target_properties(mz::mariadb PROPERTIES
      IMPORTED_IMPLIB "${MZ_MARIADB_LIBRARY}"
      IMPORTED_LOCATION "${MZ_MARIADB_DLL}"
      INTERFACE_INCLUDE_DIRECTORIES "${MZ_MARIADB_INCLUDE_DIR}")
    set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin")
    file(COPY "${MZ_MARIADB_DLL}" DESTINATION "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(MARIADB REQUIRED IMPORTED_TARGET libmariadb)
    add_library(mz::mariadb ALIAS PkgConfig::MARIADB)
  endif()
endif()
