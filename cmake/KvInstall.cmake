# The installed layout (GNUInstallDirs): the two programs in bin/, the component plugins in the
# program's own folder lib/kv47310/components/ (a private folder, the same on every platform,
# whatever the platform's library folder is), the manual pages, the desktop integration and the
# documentation under share/. Nothing the program writes at run time goes under the prefix.
include(GNUInstallDirs)

set(KV_INSTALL_COMPONENTSDIR "lib/${PROJECT_NAME}/components" CACHE STRING
    "Folder of the component plugins, relative to the installation prefix")

# The programs find the installed components relative to their own folder, so that an
# installation works under any prefix (and in a package's staging folder).
function(kv_installed_components_lookup target)
    set(components ${KV_INSTALL_COMPONENTSDIR})
    if(NOT IS_ABSOLUTE "${components}")
        set(components "${CMAKE_INSTALL_PREFIX}/${components}")
    endif()
    file(RELATIVE_PATH relative "${CMAKE_INSTALL_FULL_BINDIR}" "${components}")
    target_compile_definitions(${target} PRIVATE KV_INSTALLED_COMPONENTS_DIR="${relative}")
endfunction()
