// render_state.cpp - being written
