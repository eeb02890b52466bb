# Compile and link options shared by every project target.
add_library(tonvexa_options INTERFACE)
target_compile_definitions(tonvexa_options INTERFACE
  UNICODE _UNICODE WINVER=0x0A00 _WIN32_WINNT=0x0A00 NOMINMAX STRICT)
target_compile_options(tonvexa_options INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wno-missing-field-initializers>
  $<$<COMPILE_LANGUAGE:C>:-Wall -Wextra>)
# Static runtime: the programs need nothing but system DLLs beside them.
target_link_options(tonvexa_options INTERFACE -static -static-libgcc -static-libstdc++)
