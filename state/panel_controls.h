// SPDX-License-Identifier: GPL-3.0-or-later
// Control numbers of the two panels in the panel file VidaREZezad11.uir.
#pragma once

// Main panel.
enum {
    MAIN_PORT = 2,
    MAIN_GET = 3, // command button 3: locked by Run and Data, freed by Stop
    MAIN_POWERMODE = 4,
    MAIN_FILE = 10,
    MAIN_EEPROM = 11,
    MAIN_RAM = 12,
    MAIN_POLARITY = 13,
    MAIN_DATA = 14,
    MAIN_RUN = 16,
    MAIN_EVALMODE = 17,
    MAIN_THIRDVALUE = 19,
    MAIN_TEACHVALUE = 20,
    MAIN_TOLERANCE = 21,
    MAIN_FIRSTEDGE = 22,
    MAIN_SECONDEDGE = 23,
    MAIN_VIDEOTHRESHOLD = 30,
    MAIN_RIGHTEDGE = 31,
    MAIN_LEFTEDGE = 32,
    MAIN_TIMER = 33,
    MAIN_STATUS = 34,
    MAIN_VIDEOGRAPH = 35,
    MAIN_UNIT = 36,
    MAIN_MAINGRAPH = 37,
    MAIN_POWER = 39,
    MAIN_STOP = 40,
    MAIN_SEND = 41,
    MAIN_QUIT = 42,
    MAIN_TEACH = 43,
    MAIN_CCDSETTINGS = 44,
};

// CCD settings pop-up.
enum {
    POP_PIXELSTART = 3,
    POP_LASTPIXEL = 4,
    POP_TEACHBACKGROUND = 6,
    POP_BACKGROUNDVALUE = 7,
    POP_BACKGROUNDTEACHLED = 8,
    POP_TOLERANCEENABLE = 9,
    POP_GAIN = 10,
    POP_BACKGROUNDMODE = 12,
    POP_CCDMODE = 13,
    POP_SCALEFACTOR = 14,
    POP_TOLERANCE = 15,
    POP_TEACHVALUE = 16,
};
