# Shared target settings and the layering check.

# Warnings are set per target, never globally.
function(kv_target_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

if(KV_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# A static library of one layer.
#   kv_layer(NAME kv_probe SOURCES ... DEPENDS ...)
function(kv_layer)
    cmake_parse_arguments(L "" "NAME" "SOURCES;DEPENDS" ${ARGN})
    add_library(${L_NAME} STATIC ${L_SOURCES})
    target_include_directories(${L_NAME} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${L_NAME} PUBLIC ${L_DEPENDS})
    kv_target_warnings(${L_NAME})
    # Results are compared with references computed operation by operation in plain IEEE double
    # precision: no fused multiply-add.
    target_compile_options(${L_NAME} PRIVATE -ffp-contract=off)
    set_property(GLOBAL APPEND PROPERTY KV_CORE_LAYERS ${L_NAME})
endfunction()

# Collects every library a target links, transitively.
function(_kv_collect_links target out)
    set(seen ${${out}})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        get_target_property(libs ${target} INTERFACE_LINK_LIBRARIES)
    else()
        get_target_property(libs ${target} LINK_LIBRARIES)
    endif()
    if(NOT libs)
        set(libs "")
    endif()
    foreach(lib IN LISTS libs)
        if(NOT lib IN_LIST seen)
            list(APPEND seen ${lib})
            if(TARGET ${lib} AND lib MATCHES "^kv_")
                _kv_collect_links(${lib} seen)
            endif()
        endif()
    endforeach()
    set(${out} ${seen} PARENT_SCOPE)
endfunction()

# Nothing below the Qt Widgets front end may link Qt Widgets, and the std-only layers link no Qt
# at all.
function(kv_check_layering)
    get_property(layers GLOBAL PROPERTY KV_CORE_LAYERS)
    set(std_only kv_numerics kv_instrument_api kv_probe kv_display kv_touchstone)
    foreach(layer IN LISTS layers)
        set(all "")
        _kv_collect_links(${layer} all)
        if("Qt6::Widgets" IN_LIST all OR "Qt::Widgets" IN_LIST all)
            message(FATAL_ERROR "Layering: ${layer} links Qt Widgets; only src/app may.")
        endif()
        if(layer IN_LIST std_only)
            foreach(lib IN LISTS all)
                if(lib MATCHES "^Qt")
                    message(FATAL_ERROR "Layering: ${layer} must use the standard library only, but links ${lib}.")
                endif()
            endforeach()
        endif()
    endforeach()
endfunction()

# One test executable per layer.
#   kv_test(NAME test_numerics SOURCES ... DEPENDS ...)
function(kv_test)
    cmake_parse_arguments(T "" "NAME" "SOURCES;DEPENDS;ENVIRONMENT" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_DEPENDS} GTest::gtest GTest::gtest_main)
    target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(${T_NAME} PRIVATE
        KV_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        KV_VECTORS_DIR="${PROJECT_SOURCE_DIR}/tests/data/vectors")
    kv_target_warnings(${T_NAME})
    gtest_discover_tests(${T_NAME}
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${T_ENVIRONMENT}"
        DISCOVERY_TIMEOUT 60)
endfunction()
