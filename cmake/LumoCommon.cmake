# Settings shared by both trees.

# RapidJSON's assertions must never abort a host process.  Every unit routes
# them to LUMO_JSON_ASSERT, which model/JsonSupport.h defines (it reports the
# failure and returns).  A unit that includes <rapidjson/...> without going
# through that header fails to compile wherever RapidJSON asserts, so the rule
# cannot be forgotten.
# (a raw option: CMake drops function-style macros given as definitions)
add_compile_options("-DRAPIDJSON_ASSERT(x)=LUMO_JSON_ASSERT(x)")

set(LUMO_WARNINGS -Wall -Wextra -Wno-unused-parameter)
