"""Where the program, its master folder and the host live in a test prefix, and the
files a run writes beside the program."""

HOST_KEY = r"HKCU\SOFTWARE\Zentrix\pxdr\System"
MASTER_NAME = "My Card Sets"          # blanks on purpose: every path must stay quoted
HOST_DATA_WIN = "C:\\Pixadore Host\\Data\\"
EXE_NAME = "Tumbledeck.exe"
# Files a run writes into the master folder and must delete again when it ends.
SCRATCH_FILES = ("GetPXDRData.bat", "pxdrdatapath.txt", "SaveOrig.bat", "How to Use.rtf")
COPY_SCRIPT = "XcopyCmd.bat"
CARDS = ("a0001", "a0002", "c0001")
