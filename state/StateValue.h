// One engine state (render or texture-stage, host/EngineNumbering.h) and the
// engine value it is set to: a row of the fixed state lists that text and
// screen quads draw with.
#pragma once

namespace state {

struct StateValue {
    unsigned state;
    unsigned value;
};

}  // namespace state
