// The main module: start-up, the about text, the tick timer, the pop-up button and the end.
#pragma once

constexpr int kPathSize = 260;
constexpr int kStatusSize = 64;

extern int panelHandle;          // main panel
extern int panelPopUp;           // CCD settings pop-up
extern char proj_dir[kPathSize]; // the program's directory, start of the file dialogs
extern unsigned short ttick;     // 50 ms ticks since the current wait began or the last frame
extern unsigned short hidePopUp; // 1 while the pop-up is hidden
extern int stop_flag;            // 0 while a Run or Data loop runs
extern char szStatus[kStatusSize];

// The time-out rule: a wait fails once ttick exceeds this (the 31st tick, about 1.55 s).
constexpr unsigned short kTimeoutTicks = 30;

// Program entry in the role of the platform's WinMain: 0 after a normal end, -1 when the
// platform or a panel cannot be initialised or loaded.
int WinMain(int argc, char **argv);
void InitVars();
void ShowInfoText(const char *text, int left, int top, int pointSize);
// Shows a text on the status line.
void ShowStatus(const char *text);
// Copies a text into szStatus, cut to fit.
void SetStatusText(const char *text);
// Registers every callback name of the panel file.
void RegisterCallbacks();

int CC_PANEL(int panel, int event, void *callbackData, int eventData1, int eventData2);
int CC_Timer50ms(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
int CC_BTN_CCDSettings(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2);
int CC_BTNQuit(int panel, int control, int event, void *callbackData, int eventData1,
               int eventData2);
