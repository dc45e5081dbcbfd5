// The first picture of the guide: the open case list after log-in.
#include "main_window.h"
#include "tour.h"

DALVERO_TOUR_STEP(10, "open case list") {
    ctx.Shot(ctx.main, "open-case-list");
}
