#include "app/FrameTrace.h"

#include <cstdio>

bool FrameTrace::Open(const std::string& path) {
    if (!file_.Open(path)) {
        return false;
    }
    std::fputs("frame,dt,update_ms,render_ms,x,y,z,vx,vy,vz,on_ground,flying,collision\n", file_.Stream());
    return true;
}

void FrameTrace::Write(const TraceRow& row) {
    if (!file_.IsOpen()) {
        return;
    }
    // Nine significant digits keep every float exactly.
    std::fprintf(file_.Stream(), "%lld,%.9g,%.4f,%.4f,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%d,%d,%d\n",
                 static_cast<long long>(row.frame), static_cast<double>(row.dt), row.updateMs, row.renderMs,
                 static_cast<double>(row.position[0]), static_cast<double>(row.position[1]),
                 static_cast<double>(row.position[2]), static_cast<double>(row.velocity[0]),
                 static_cast<double>(row.velocity[1]), static_cast<double>(row.velocity[2]), row.onGround ? 1 : 0,
                 row.flying ? 1 : 0, row.collision ? 1 : 0);
}
