# nlohmann_json for the page's WebAssembly build: the host's header-only
# library with its own folder alone on the include path, since the host's
# other headers are not WebAssembly's.
if(NOT TARGET nlohmann_json::nlohmann_json)
  set(nlohmann_json_include ${CMAKE_BINARY_DIR}/nlohmann_json/include)
  file(MAKE_DIRECTORY ${nlohmann_json_include})
  file(CREATE_LINK /usr/include/nlohmann ${nlohmann_json_include}/nlohmann SYMBOLIC)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
  target_include_directories(nlohmann_json::nlohmann_json INTERFACE ${nlohmann_json_include})
endif()
