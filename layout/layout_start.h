// The start and end of page layout: the hooks through which the score model reaches it (the
// spacing of measures, the release of free objects and staff graphics), the palette and the
// temporary port. The player and the tools call InitMiseEnPage once after the engraver
// (InitGravure) and FinMiseEnPage at shutdown. Main thread only.
#pragma once

void InitMiseEnPage();
void FinMiseEnPage();  // the model's defaults again; the temporary port and the print record freed
