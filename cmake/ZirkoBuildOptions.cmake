# What every library and program of ours is built with, as one target they all link: warnings are
# errors in our own code (third-party headers come in as system includes), and every connection
# has a context object and never narrows what the signal carries.
add_library(zirko_build_options INTERFACE)
target_compile_options(zirko_build_options INTERFACE
    -Wall -Wextra -Werror -Wno-missing-field-initializers)
# Qt acts on QT_NO_CONTEXTLESS_CONNECT from 6.7 on; before that it costs nothing, and connections
# without a context object are kept out by review.
target_compile_definitions(zirko_build_options INTERFACE
    QT_NO_CONTEXTLESS_CONNECT QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
