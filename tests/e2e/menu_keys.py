"""The menu commands as a person types them: Alt with the underlined letter
of the bar item, then the underlined letters down the pop-ups. Items without
an underlined letter are reached with the arrow keys: Up from the first item
of a pop-up wraps round to its last one."""

EXIT = ("alt+p", "b")                        # &Programm > &Beenden
EXPORT_SPECTRUM = ("ctrl+s",)                # &Programm > Spektrum &exportieren...
ANALYSE_RECORDING = ("ctrl+o",)              # &Programm > &Aufnahme analysieren...
ANALYSE_RECORDING_CAPTION = "Aufnahme analysieren"
CHANNEL_LEFT = ("alt+a", "k", "l")           # &Ansicht > &Kanäle > &Links
CHANNEL_RIGHT = ("alt+a", "k", "r")          # ... > &Rechts
CHANNEL_BOTH = ("alt+a", "k", "b")           # ... > &Beide
SHOW_MAXIMUM = ("alt+a", "m")                # &Ansicht > &Maximum anzeigen
SHOW_PEAKS = ("alt+a", "s")                  # &Ansicht > &Spitzenwerte anzeigen
SHOW_DISTORTION = ("alt+a", "v")             # &Ansicht > &Verzerrung anzeigen
LOAD_REFERENCE = ("alt+a", "l")              # &Ansicht > Referenz &laden...
REMOVE_REFERENCE = ("alt+a", "e")            # &Ansicht > Referenz &entfernen
SCALE_UNCORRECTED = ("alt+a", "p", "u")      # &Ansicht > &Pegel > &Unkorrigiert
SCALE_SINE = ("alt+a", "p", "s")             # ... > &Sinuspegel (dBFS)
SCALE_DENSITY = ("alt+a", "p", "r")          # ... > &Rauschdichte (dB/Hz)

_SIZES = ("alt+m", "a")                      # &Messung > &Anzahl Stützpunkte
SIZE_1024 = _SIZES + ("1",)
SIZE_2048 = _SIZES + ("2",)
SIZE_4096 = _SIZES + ("4",)
SIZE_8192 = _SIZES + ("8",)
SIZE_16384 = _SIZES + ("6",)                 # 1&6384 Punkte
SIZE_32768 = _SIZES + ("3",)
SIZE_65536 = _SIZES + ("5",)                 # 6&5536 Punkte
SIZE_131072 = _SIZES + ("Up", "Up", "Return")  # 131072 Punkte, last but one
SIZE_262144 = _SIZES + ("Up", "Return")      # 262144 Punkte, the last item

_RATES = ("alt+m", "m")                      # &Messung > &Meßgeschwindigkeit
RATE_1 = _RATES + ("1",)
RATE_5 = _RATES + ("5",)
RATE_20 = _RATES + ("Up", "Return")          # 20 Messungen/s, the last item

_WINDOWS = ("alt+m", "b")                    # &Messung > &Bewertungsfenster
WINDOW_OFF = _WINDOWS + ("a",)
WINDOW_TRIANGLE = _WINDOWS + ("d",)
WINDOW_HANNING = _WINDOWS + ("h",)
WINDOW_WELCH = _WINDOWS + ("w",)
WINDOW_HAMMING = _WINDOWS + ("m",)
WINDOW_BLACKMAN = _WINDOWS + ("b",)
WINDOW_PARZEN = _WINDOWS + ("p",)

AVERAGING = ("alt+m", "i")                  # &Messung > M&ittelung
AVERAGING_OFF = AVERAGING + ("a",)
AVERAGING_64 = AVERAGING + ("6",)
HOLD_MAXIMUM = ("alt+a", "h")                # &Ansicht > Maximum &halten
PAUSE = ("space",)                           # An&halten, by its key

AUTO_OFFSET = ("alt+m", "o")                 # Automatische &Offsetkorrektur
CALIBRATE = ("alt+m", "k")                   # Pegel &kalibrieren...
CALIBRATION_CAPTION = "Pegel kalibrieren"
FORGET_CALIBRATION = ("alt+m", "e")          # Kalibrierung &entfernen
RESTORE_DEFAULTS = ("alt+m", "s")            # &Standardeinstellungen

# "&Eingang" lists the inputs by name, without underlined letters: the first
# item is highlighted when it opens.
INPUT_0 = ("alt+e", "Return")
INPUT_1 = ("alt+e", "Down", "Return")
# "&Über..." is a command on the bar itself: Alt with its letter runs it.
ABOUT = ("alt+udiaeresis",)
ABOUT_CAPTION = "Über Frelox..."

# The frame's system menu, which Wine draws itself: the window's own sizing.
MAXIMIZE = ("alt+space", "x")
MINIMIZE = ("alt+space", "n")
RESTORE = ("alt+space", "r")
CLOSE_WINDOW = ("alt+F4",)
