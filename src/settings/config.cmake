# config.ini: its field table, CP949 text, the writer and the reader. No toolkit.
add_library(muto_config STATIC
    ${CMAKE_CURRENT_LIST_DIR}/config_fields.cpp
    ${CMAKE_CURRENT_LIST_DIR}/config_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cp949.cpp
)
target_include_directories(muto_config PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(muto_config PUBLIC muto_common)
