// The model tables offered to the wizard, whose test patches are drawn through them: built from
// the tone matches after each tone-step change, read per patch and channel.
#include "export_guard.h"
#include "panel_tables.h"

namespace {

// Whether the tables were built for the wizard and not yet released (process-wide).
bool g_tablesReady = false;

}  // namespace

BUILDER_API int BeginIOModelTable(const double* groups) {
    return builder::guarded(g_tablesReady ? 1 : 0, [&] {
        if (!groups) return g_tablesReady ? 1 : 0;
        PANELMODELRECORD model{};
        model.count = 3;
        for (int g = 0; g < 3; ++g)
            for (int i = 0; i < 4; ++i) model.groups[g][i] = groups[4 * g + i];
        builder::loadPanelModel(model);
        g_tablesReady = true;
        return 1;
    });
}

BUILDER_API int DoIOModel(int level, int channel) {
    return builder::PanelModel(builder::panelTables()).inverseLevel(level, channel);
}

BUILDER_API void EndIOModelTable(void) { g_tablesReady = false; }
