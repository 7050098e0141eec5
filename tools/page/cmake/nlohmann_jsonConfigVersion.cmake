# The host library's own version check.
include(/usr/share/cmake/nlohmann_json/nlohmann_jsonConfigVersion.cmake)
