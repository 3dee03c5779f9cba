#pragma once

// Makes the kit's views that interface files place (the shadow label, the grid cell) known to
// them.
void registerKitInterfaceClasses();
