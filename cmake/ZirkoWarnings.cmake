# Warnings are errors in our own code; third-party headers come in as system includes.
function(zirko_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-missing-field-initializers)
endfunction()
