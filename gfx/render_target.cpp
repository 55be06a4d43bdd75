// render_target.cpp - being written
