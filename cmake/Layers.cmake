# Each layer's headers are reachable only from the layers above it. A layer's library
# publishes a folder holding just one entry, a link named after the layer to its sources,
# so `#include "engine/..."` resolves for whoever links the engine and for nobody else: an
# include that points up the stack fails to compile instead of waiting for a review.
#
#   platform <- engine <- charts <- dialogs <- views <- app
function(dovrane_layer target layer)
    set(root ${CMAKE_BINARY_DIR}/layers/${layer})
    if(NOT EXISTS ${root}/${layer})
        file(MAKE_DIRECTORY ${root})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${layer} ${root}/${layer} SYMBOLIC)
    endif()
    target_include_directories(${target} PUBLIC ${root})
endfunction()
