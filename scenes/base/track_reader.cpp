// track_reader.cpp - see track_reader.h.
#include "track_reader.h"

#include "imodule_input.h"
#include "isync.h"

float TrackReader::operator()(const char* name) const {
    return (*this)(name, input_->getTimeMs());
}

float TrackReader::operator()(const char* name, int64_t timeMs) const {
    return input_->getSync()->getValue(name, &timeMs);
}
