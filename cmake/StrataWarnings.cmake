# Warnings for the project's own targets; third-party code keeps its own flags.
function(strata_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wno-missing-field-initializers)
endfunction()
