# Compiles through ccache when the machine has it, in every preset (the MinGW ones too), so that a
# fresh clone builds from the cache that earlier clones filled. Paths under the clone are hashed
# relative to it and the working directory is left out, so that a clone in another folder hits.
# SFX_CCACHE=OFF, or a machine without ccache, builds without it.
option(SFX_CCACHE "Compile through ccache when it is installed" ON)
find_program(SFX_CCACHE_PROGRAM ccache)
if(SFX_CCACHE AND SFX_CCACHE_PROGRAM)
  set(sfx_ccache ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${PROJECT_SOURCE_DIR} CCACHE_NOHASHDIR=1
                 ${SFX_CCACHE_PROGRAM})
  set(CMAKE_C_COMPILER_LAUNCHER ${sfx_ccache})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${sfx_ccache})
endif()
