// gfx_context.cpp - being written
