#pragma once

// Makes the start, login and room-floor screens and the room tiles and bar known to the
// interface files.
void registerRoomsInterfaceClasses();
