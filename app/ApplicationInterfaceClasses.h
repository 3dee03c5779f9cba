#pragma once

// Makes every class the shipped interface files name known to them: the platform's, the kit's
// and every screen layer's.
void registerApplicationInterfaceClasses();
