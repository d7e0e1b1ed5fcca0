# The usual distribution hardening for optimised builds: fortified libc calls, stack
# protector, read-only relocations bound at start. Sanitizer and fuzz builds keep their own.
option(ZIRKO_HARDEN "Build optimised binaries with the usual hardening flags" ON)
if(ZIRKO_HARDEN AND NOT ZIRKO_SANITIZE AND NOT ZIRKO_BUILD_FUZZ)
    add_compile_options($<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE>
                        $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>
                        -fstack-protector-strong)
    add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
