// shader_library.cpp - being written
