# Header-only dependencies from Debian packages, reached through a folder that holds only them:
# the host's /usr/include never reaches the cross compiler.
set(THIRD_PARTY_INCLUDE_DIR ${CMAKE_BINARY_DIR}/third_party/include)
file(MAKE_DIRECTORY ${THIRD_PARTY_INCLUDE_DIR})
foreach(dep rapidjson utf8cpp)
  if(NOT EXISTS /usr/include/${dep})
    message(FATAL_ERROR "/usr/include/${dep} is missing: run tools/setup")
  endif()
  if(NOT EXISTS ${THIRD_PARTY_INCLUDE_DIR}/${dep})
    file(CREATE_LINK /usr/include/${dep} ${THIRD_PARTY_INCLUDE_DIR}/${dep} SYMBOLIC)
  endif()
endforeach()

# GoogleTest from Debian's sources, built with the cross compiler.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# The codec library (7z.dll) fetched by tools/setup.
set(CODEC_LIBRARY_DIR ${PROJECT_SOURCE_DIR}/.deps/7zip)
set(CODEC_LIBRARY ${CODEC_LIBRARY_DIR}/7z.dll)
