# The V2 binary protocol of the NanoVNA analyzer (NanoVNA V2 boards and their successors): its
# pure parts (command bytes, the FIFO record reader, the board table) and the protocol over a
# serial link. Included by the NanoVNA component's CMakeLists.txt; the fuzz target and the
# benchmark compile the pure parts directly.
add_library(kv_nanovna_v2 STATIC
    ${CMAKE_CURRENT_LIST_DIR}/NanoVnaV2Codec.cpp ${CMAKE_CURRENT_LIST_DIR}/NanoVnaV2Codec.h
    ${CMAKE_CURRENT_LIST_DIR}/NanoVnaV2Protocol.cpp)
target_include_directories(kv_nanovna_v2 PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(kv_nanovna_v2 PUBLIC kv_instrument_api)
kv_target_warnings(kv_nanovna_v2)
