# The request reader's sources: foundation and RapidJSON only, no ORB, no
# storage.  Included by server/CMakeLists.txt and by the fuzz target, which
# compiles them itself (fuzz builds do not add the server folder).
set(LUMO_SERVER_READER_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/core/CommentaryRequest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/RequestReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/ServerError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/Utf16Text.cpp)
