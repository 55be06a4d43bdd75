// texture_manager.cpp - being written
