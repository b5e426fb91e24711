// Numbers of the program's resources and menu commands. Read by the resource
// compiler and by C++ alike, so plain macros only.
#ifndef FRELOX_RESOURCES_RESOURCEIDS_H
#define FRELOX_RESOURCES_RESOURCEIDS_H

// Resources.
#define IDM_MAIN 1         // menu of the main frame
#define IDD_ABOUT 1        // About box
#define IDI_FRELOX 128     // the program's only icon group
#define IDA_MAIN 1         // the main frame's keys
#define IDD_CALIBRATION 2  // "Pegel kalibrieren"
#define IDD_RANGE 3        // "Bereich"

// The calibration dialog's controls.
#define IDC_LEFT_LEVEL 1001
#define IDC_RIGHT_LEVEL 1002
#define IDC_KNOWN_LEVEL 1003
#define IDC_CALIBRATION_PROBLEM 1004

// The range dialog's controls.
#define IDC_RANGE_LOW 1011
#define IDC_RANGE_HIGH 1012
#define IDC_RANGE_TOP 1013
#define IDC_RANGE_BOTTOM 1014
#define IDC_RANGE_TOP_UNIT 1015
#define IDC_RANGE_BOTTOM_UNIT 1016
#define IDC_RANGE_PROBLEM 1017

// "&Programm". The exit command is the number the frame window answers with a
// close request.
#define CMD_EXIT 24310
// The spectrum shown written to a file (Ctrl+S); the picture of the view
// with its axes copied to the clipboard (Ctrl+C) or saved as PNG.
#define CMD_EXPORT_SPECTRUM 180
#define CMD_COPY_PICTURE 181
#define CMD_SAVE_PICTURE 182
// A recording analysed and shown (Ctrl+O); the analysis under way cancelled
// (Esc, no menu item).
#define CMD_ANALYSE_RECORDING 186
#define CMD_CANCEL_ANALYSIS 187

// "&Ansicht".
#define CMD_CHANNEL_RIGHT 101
#define CMD_CHANNEL_LEFT 102
#define CMD_CHANNEL_BOTH 103
#define CMD_SHOW_MAXIMUM 104
#define CMD_SHOW_PEAKS 130
// THD, THD+N, SNR and the harmonics of each channel's strongest tone.
#define CMD_SHOW_DISTORTION 320
#define CMD_HOLD_MAXIMUM 140
#define CMD_HOLD_RESET 141
// "&Ansicht", "&Pegel": the scale of the levels shown.
#define CMD_SCALE_UNCORRECTED 160
#define CMD_SCALE_SINE 161
#define CMD_SCALE_DENSITY 162
// "&Ansicht", "&Frequenzbewertung".
#define CMD_WEIGHTING_NONE 165
#define CMD_WEIGHTING_A 166
#define CMD_WEIGHTING_C 167
// The reference: the spectrum shown kept, one read from a file, none.
#define CMD_REFERENCE_TAKE 183
#define CMD_REFERENCE_LOAD 184
#define CMD_REFERENCE_REMOVE 185
// The range the view shows: the whole (Home key), typed limits. 300 to 319
// are kept for the range.
#define CMD_VIEW_FULL_RANGE 300
#define CMD_VIEW_RANGE 301

// "&Messung", measurements per second.
#define CMD_RATE_1 105
#define CMD_RATE_2 106
#define CMD_RATE_5 107
#define CMD_RATE_10 108
#define CMD_RATE_20 109

// "&Messung", weighting windows: the number minus CMD_WINDOW_OFF is the window.
#define CMD_WINDOW_OFF 110
#define CMD_WINDOW_TRIANGLE 111
#define CMD_WINDOW_HANNING 112
#define CMD_WINDOW_WELCH 113
#define CMD_WINDOW_HAMMING 114
#define CMD_WINDOW_BLACKMAN 115
#define CMD_WINDOW_PARZEN 116

// "&Messung", transform sizes. Not in numeric order of the sizes, and 127 is
// unused.
#define CMD_SIZE_1024 117
#define CMD_SIZE_8192 118
#define CMD_SIZE_4096 119
#define CMD_SIZE_2048 120
#define CMD_SIZE_16384 121
#define CMD_SIZE_32768 124
#define CMD_SIZE_65536 125
#define CMD_SIZE_131072 126
#define CMD_SIZE_262144 128

#define CMD_AUTO_OFFSET 122

// "&Messung", "M&ittelung": spectra averaged, and a fresh start of the average.
#define CMD_AVERAGE_OFF 150
#define CMD_AVERAGE_4 151
#define CMD_AVERAGE_16 152
#define CMD_AVERAGE_64 153
#define CMD_AVERAGE_CONTINUOUS 154
#define CMD_AVERAGE_RESTART 155

// "&Messung": the picture held (the Space key too).
#define CMD_PAUSE 156

// "&Messung": the calibration of the input measured, made and forgotten.
#define CMD_CALIBRATE 170
#define CMD_FORGET_CALIBRATION 171

// "&Messung", last item: back to the first start's settings.
#define CMD_RESTORE_DEFAULTS 131

// "&Über..." on the menu bar.
#define CMD_ABOUT 123

// "&Eingang": the input devices, listed when the menu opens, device n as
// CMD_INPUT_FIRST + n; CMD_INPUT_NONE stands greyed when there is none.
#define CMD_INPUT_NONE 199
#define CMD_INPUT_FIRST 200

#endif
