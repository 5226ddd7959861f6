// SPDX-License-Identifier: GPL-3.0-or-later
// Platform layer of the tool: panels, controls, events, the event loop, timers, graphs,
// serial ports and files, on Qt 6. The application reaches the platform only through this
// header; it knows nothing about sensors.
//
// Threading: everything runs on the one GUI thread. Callbacks run only inside
// RunUserInterface or ProcessSystemEvents, never inside other code.
//
// Event codes and when controls raise them (the mapping lives in events.cpp):
//   EVENT_LEFT_CLICK (3)  a left mouse press on any enabled control (buttons, rings, numerics,
//                         switches, slides, graphs), before anything else that press causes.
//   EVENT_COMMIT (1)      a push button activated: mouse released over it after a press that
//                         started while it was enabled (even if it was dimmed since), or
//                         Space/Enter, or its shortcut. For value controls: the change is
//                         complete (a ring selection, a switch or radio toggle, a step of a
//                         numeric's arrows, a numeric entry ended with Enter or by leaving the
//                         field, a slide released or stepped by key).
//   EVENT_VAL_CHANGED (2) the user changed a value (numeric, ring, switch, slide, radio);
//                         always delivered before the commit of the same change.
//   EVENT_GOT_FOCUS (8), EVENT_LOST_FOCUS (9)  keyboard focus moved to / away from a control.
//   EVENT_CLOSE (11)      the user asked to close a top-level panel; nothing is closed or hidden.
//   EVENT_TIMER_TICK (15) a timer control's interval elapsed while it is enabled.
// A dimmed control raises nothing new. A value written from code raises no callback.
// Events for a control whose callback is still running are held and delivered, in order,
// right after that callback returns.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Events and callbacks -------------------------------------------------------------

enum {
    EVENT_COMMIT = 1,
    EVENT_VAL_CHANGED = 2,
    EVENT_LEFT_CLICK = 3,
    EVENT_GOT_FOCUS = 8,
    EVENT_LOST_FOCUS = 9,
    EVENT_CLOSE = 11,
    EVENT_TIMER_TICK = 15,
};

using CtrlCallbackPtr = int (*)(int panel, int control, int event, void *callbackData,
                                int eventData1, int eventData2);
using PanelCallbackPtr = int (*)(int panel, int event, void *callbackData, int eventData1,
                                 int eventData2);
using ComCallbackPtr = void (*)(int portNumber, int eventMask, void *callbackData);

// Callback names in the panel file resolve through this table. Register before LoadPanel.
void RegisterCtrlCallback(const char *name, CtrlCallbackPtr fn);
void RegisterPanelCallback(const char *name, PanelCallbackPtr fn);

// ---- Start-up and event loop ----------------------------------------------------------

// Creates the application object unless one exists already. Returns 0 on failure, 1 on
// success. argc/argv must outlive the run (pass main's).
int InitCVIRTEEx(int &argc, char **argv, void *reserved);
// Runs events until QuitUserInterface; returns its code once control is back in this loop.
int RunUserInterface();
void QuitUserInterface(int returnCode);
// Runs every pending event (input, timers, serial callbacks) once and returns. When nothing
// is pending, and no callback ran in the call before, it waits for the next event (arriving
// serial bytes among them), a few milliseconds at most, without spinning.
int ProcessSystemEvents();
// Holds the user's input for work that must yield to it: while held (holds nest), event
// processing runs timer ticks and serial callbacks only, and the user's control and panel
// events wait, in order, to be delivered once the last hold ends.
void HoldUserInput(int hold);
// 1 when user events wait behind a hold, else 0.
int UserInputWaiting();
// Queues `event` for a control as the user's input would: its callback runs from the event
// loop, after the events queued before it.
void QueueCtrlEvent(int panel, int control, int event);
// Releases the application object if InitCVIRTEEx created it (after the panels are discarded).
void DiscardRuntime();

// ---- Panels and controls --------------------------------------------------------------

// Loads panel `resource` (1, 2, ...) of a panel file. parentPanel 0 makes a top-level panel,
// otherwise a child panel of that handle. Returns a handle > 0, or a negative code:
enum {
    UIEFileNotFound = -1,    // file missing or unreadable
    UIEPanelNotFound = -2,   // no panel of that number in the file
    UIECallbackUnknown = -3, // a callback name not registered
    UIEDuplicateCtrl = -4,   // two controls with one number
    UIEBadPanelFile = -5,    // the file is not a panel file
    UIEBadHandle = -6,
};
int LoadPanel(int parentPanel, const char *fileName, int resourceId);
int DisplayPanel(int panel);
int HidePanel(int panel);
int DiscardPanel(int panel);

enum { CTRL_TEXT_MSG = 1 };
// Creates a control at run time; returns its number, or a negative code.
int NewCtrl(int panel, int style, const char *label, int top, int left);

int SetCtrlVal(int panel, int control, unsigned short value);
int SetCtrlVal(int panel, int control, int value);
int SetCtrlVal(int panel, int control, float value);
int SetCtrlVal(int panel, int control, double value);
int SetCtrlVal(int panel, int control, const char *value);
int GetCtrlVal(int panel, int control, unsigned short *value);
int GetCtrlVal(int panel, int control, int *value);
int GetCtrlVal(int panel, int control, float *value);
int GetCtrlVal(int panel, int control, double *value);
// Copies the control's text with its terminator; at most `size` bytes.
int GetCtrlVal(int panel, int control, char *value, std::size_t size);

enum {
    ATTR_DIMMED = 1,
    ATTR_VISIBLE = 2,
    ATTR_ENABLED = 3, // timer controls: ticking or not
    ATTR_TEXT_FONT = 10,
    ATTR_TEXT_COLOR = 11,
    ATTR_TEXT_BGCOLOR = 12,
    ATTR_TEXT_POINT_SIZE = 13,
};
#define VAL_APP_META_FONT "NIApp"
int SetCtrlAttribute(int panel, int control, int attribute, int value);
int SetCtrlAttribute(int panel, int control, int attribute, const char *value);
int GetCtrlAttribute(int panel, int control, int attribute, int *value);

// ---- Graphs -------------------------------------------------------------------------------

enum { VAL_XAXIS = 0, VAL_LEFT_YAXIS = 1 };
enum { VAL_MANUAL = 0 };
enum { VAL_DELAYED_DRAW = 0, VAL_IMMEDIATE_DRAW = 1 };
enum { VAL_UNSIGNED_SHORT_INTEGER = 6, VAL_UNSIGNED_INTEGER = 7 };
enum { VAL_THIN_LINE = 5 };
enum { VAL_NO_POINT = 10 };
enum { VAL_SOLID = 0 };
enum {
    VAL_RED = 0xFF0000,
    VAL_GREEN = 0x00FF00,
    VAL_DK_GREEN = 0x008000,
    VAL_WHITE = 0xFFFFFF,
    VAL_GRAY = 0xA0A0A0,
};

// Both arrays hold VAL_UNSIGNED_SHORT_INTEGER values; other data types are refused. PlotXY and
// PlotRectangle return the plot's handle.
int PlotXY(int panel, int control, const void *xArray, const void *yArray, int numberOfPoints,
           int xDataType, int yDataType, int plotStyle, int pointStyle, int lineStyle,
           int pointFrequency, int color);
int PlotRectangle(int panel, int control, double x1, double y1, double x2, double y2, int color,
                  int fillColor);
// Deletes every plot: plotHandle must be -1, a single plot is not deleted. Cursors are not
// plots and stay.
int DeleteGraphPlot(int panel, int control, int plotHandle, int refresh);
int SetGraphCursor(int panel, int control, int cursorNumber, double x, double y);
int SetAxisScalingMode(int panel, int control, int axis, int axisScaling, double min, double max);

// ---- Serial ports -------------------------------------------------------------------------
// Port n maps to a device: 1-4 /dev/ttyS0-3, 5-8 /dev/ttyUSB0-3, 9-10 /dev/ttyACM0-1; the
// environment variable RMOX_COM<n> (a device path) overrides port n.

enum {
    kComUnknownSystemError = -1,
    kComInvalidPort = -2,
    kComPortNotOpen = -3,
    kComIOError = -4,
    kComDeviceNotFound = -6,
    kComCannotOpen = -7,
    kComTimeout = -99,
};
// Serial events: any character received, the event character received, the output queue
// emptied, and at least the notify count of bytes waiting (the receive-count event).
enum { LWRS_RXCHAR = 0x0001, LWRS_RXFLAG = 0x0002, LWRS_TXEMPTY = 0x0004, LWRS_RECEIVE = 0x8000 };

int OpenComConfig(int port, const char *deviceName, long baudRate, int parity, int dataBits,
                  int stopBits, int inputQueueSize, int outputQueueSize);
int SetComTime(int port, double timeoutSeconds);
int SetCTSMode(int port, int mode);
int FlushInQ(int port);
int FlushOutQ(int port);
// Returns the number of bytes taken for sending, or a negative code.
int ComWrt(int port, const char *buffer, int count);
// Reads at most `count` bytes; waits up to the port's time-out for missing ones. Returns the
// number read, or a negative code. Never writes past `count` bytes of `buffer`.
int ComRd(int port, char *buffer, int count);
int GetInQLen(int port);
int CloseCom(int port);
// With LWRS_RECEIVE in eventMask, the callback runs inside event processing whenever at least
// notifyCount bytes wait. eventMask 0 switches the callback off.
int InstallComCallback(int port, int eventMask, int notifyCount, int eventCharacter,
                       ComCallbackPtr callbackFunction, void *callbackData);

// ---- Files --------------------------------------------------------------------------------

enum { VAL_OK_BUTTON = 0, VAL_SAVE_BUTTON = 1, VAL_SELECT_BUTTON = 2, VAL_LOAD_BUTTON = 3 };
enum { VAL_NO_FILE_SELECTED = 0, VAL_EXISTING_FILE_SELECTED = 1, VAL_NEW_FILE_SELECTED = 2 };
enum { VAL_GROUPS_TOGETHER = 0, VAL_GROUPS_AS_COLUMNS = 0, VAL_CONST_WIDTH = 0 };
enum { VAL_ASCII = 1, VAL_TRUNCATE = 0 };

// Lets the user pick a file. With restrictExtension the name must match fileTypeList
// ("*.dat;*.txt"): a name without an extension gets the first type's, a name with another one
// is refused inside the dialog, which stays open. pathOut (260 bytes) receives the path with its
// terminator; a longer path is not cut short but refused with kFilePathTooLong, pathOut empty.
// Returns a VAL_*_SELECTED value or a negative code.
int FileSelectPopup(const char *defaultDirectory, const char *defaultFileSpec,
                    const char *fileTypeList, const char *title, int buttonLabel,
                    int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, char *pathOut);

// Writes nElements values, one a line, right-aligned in fieldWidth. The file is written to a
// temporary beside the target and renamed over it, so a failed write leaves the old file.
// Returns 0, or a negative code.
int ArrayToFile(const char *fileName, const void *array, int dataType, int numberOfElements,
                int numberOfGroups, int arrayDataOrder, int fileLayout, int columnSeparation,
                int fieldWidth, int fileType, int fileAction);
// Reads exactly numberOfElements unsigned decimal numbers separated by any white space; only
// white space may follow the last one. A number keeps its value modulo 2^32, however many
// digits it has. Only a regular file is opened (a FIFO or device could block), and a file is
// refused once it runs past kArrayFileBytesPerNumber bytes per wanted number. Returns 0 when
// the file was taken; otherwise a negative code, and the array is untouched.
int FileToArray(const char *fileName, void *array, int dataType, int numberOfElements,
                int numberOfGroups, int arrayDataOrder, int fileLayout, int fileType);
constexpr int kArrayFileBytesPerNumber = 256;
enum { kFileIOError = -1, kFileFormatError = -2, kFileBadArguments = -3, kFilePathTooLong = -4 };

// The executable's directory, at most 260 bytes with terminator.
int GetProjectDir(char *directoryName);
