#pragma once

// How the application reaches the display where the user has not chosen,
// set before the application is made, which connects to the display.
void setDisplayDefaults();
