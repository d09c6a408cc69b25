@echo off

REM GetPXDRData.bat, 2024-03-18
REM by the Tumbledeck team
REM Adapted to serve Tumbledeck: writes the Pixadore data
REM path to pxdrdatapath.txt in the folder of argument 1.

REM Each pass of the loop adds one word of the path.


set xx=3
:loop1
set tempdata=/// 
:: ----------------------------------
:: Search for the Pixadore data path
:: ----------------------------------
for /f "Tokens=%xx%""delims=" %%a in ('REG QUERY HKEY_CURRENT_USER\SOFTWARE\Zentrix\pxdr\System ^| FINDSTR "DataPath"') do set tempdata="%%a"
if %tempdata%==/// goto foundpath1
set tempdata=%tempdata:"=%
set pxdrdata=%pxdrdata% %tempdata%
set /a xx=%xx%+1
goto loop1
:foundpath1
set pxdrdata=%pxdrdata:~1,100%
echo %pxdrdata% >%1pxdrdatapath.txt
echo %pxdrdata% 
