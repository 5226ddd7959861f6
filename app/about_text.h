// The about text in the banner of the main panel.
#pragma once

// Creates the five about-text controls on the main panel.
void ShowAboutTexts();
