// Exports that hand their arguments unchanged to the device library: the device pass-throughs and
// the spectrum and colour routines, each with its twin for clients that cannot use the cdecl form.
// Both come from the one line of passthroughs.h, so a twin cannot drift from its cdecl form.
#include <quorvane/quorvane.h>
#include <tavrin/colourrendering.h>
#include <tavrin/romrecords.h>
#include <tavrin/spectrometer.h>

#define QV_CDECL_ONLY(suffix, routine, params, args) \
    ERRORCODE QVI_##suffix params { return routine args; }
#define QV_PASS_THROUGH(suffix, twin, routine, params, args) \
    QV_CDECL_ONLY(suffix, routine, params, args) \
    ERRORCODE VB6QVI_##twin params { return routine args; }

extern "C" {

#include "passthroughs.h"

} // extern "C"
