@echo off
cls
TITLE SAVE PXDR card set - by the Tumbledeck team

REM SaveOrig.bat, 2024-03-18
REM By the Tumbledeck team
REM Adapted to serve Tumbledeck: backs up the card set that
REM Pixadore has installed into saveorig\data.

REM ---------------------------------------------------
REM Where to save:
REM Tumbledeck sends its folder as argument 1, in
REM double quotes; when a path is sent, it is used.
REM When the script runs by itself with no argument,
REM the current folder is used instead.
REM ---------------------------------------------------



If %1"" == "" goto save
set basepath=%1
REM Switch to the drive of the path
Echo %basepath:~1,2%
%basepath:~1,2%

cd %basepath%
Echo %basepath%
REM In the folder sent by the program
goto save

:makesaveorig
md saveorig
goto origexist

:makesdata
md data
goto sdataexist
:save
REM ---------------------------------------------------
REM Make the folder saveorig and its subfolder data,
REM then copy the Pixadore data folder into it, less
REM every file that exclude.txt lists.
REM ---------------------------------------------------

IF not EXIST %saveorig goto makesaveorig
:origexist
cd saveorig
IF not EXIST %data goto makesdata
:sdataexist
cd data

REM Folders and extensions not to copy

echo music > exclude.txt
echo skins >> exclude.txt
echo backgrounds >> exclude.txt
echo playlists >> exclude.txt
echo .bmp >> exclude.txt
echo .psd >> exclude.txt
echo .vhd >> exclude.txt
echo .txt >> exclude.txt
echo .cld >> exclude.txt
echo .lst >> exclude.txt
echo .log >> exclude.txt
echo .pxdr >> exclude.txt
echo .cds >> exclude.txt
echo .dat >> exclude.txt
echo .rar >> exclude.txt
echo .zip >> exclude.txt
echo .ace >> exclude.txt
echo .7z >> exclude.txt
echo .dlmcdf >> exclude.txt

for /f "tokens=*" %%a in ('cd') do set savefolder=%%a
set zz=3
:boucle1
set testdata=/// 
:: ----------------------------------
:: Search for the Pixadore data path
:: ----------------------------------
for /f "Tokens=%zz%""delims=" %%a in ('REG QUERY HKEY_CURRENT_USER\SOFTWARE\Zentrix\pxdr\System ^| FINDSTR "DataPath"') do set testdata="%%a"
if %testdata%==/// goto findata1
set testdata=%testdata:"=%
set data=%data% %testdata%
set /a zz=%zz%+1
goto boucle1
:findata1
set data=%data:~1,100%
set data=%data:~0,-1%
echo %data%
echo %savefolder%
REM Copy, then delete exclude.txt: the end signal
xCOPY /s /y "%data%" "%savefolder%" /EXCLUDE:exclude.txt
del exclude.txt
