// Stand-in for the pending-update service of the Carbon-style accessors until they exist:
// nothing is waiting, so there is nothing to draw.
void CarboniseValideUpdate() {}
