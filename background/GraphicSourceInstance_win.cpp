#include "background/kvneGraphicSource.h"
#include "support/kvneGlobal.h"

TGraphicSource& GraphicSource() {
    static TGraphicSource source(GlobalEnv.ExeFolder());
    return source;
}
