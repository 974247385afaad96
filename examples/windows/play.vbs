' play.vbs - the CorvaneMP3 controls from VBScript.
'
'   cscript //nologo play.vbs FILE.mp3
'       plays the file to its end, printing the position every half second
'   cscript //nologo play.vbs FOLDER [LIST.m3u]
'       puts the folder's .mp3 files in a play list, sorts it by file name,
'       prints each entry with its length and saves the list (playlist.m3u in
'       the current folder unless LIST.m3u is given)
'
' Register CorvaneMP3.ocx first (see README.txt). A script host of the same
' architecture as the registered control is needed: on 64-bit Windows the
' 32-bit control is used from %SystemRoot%\SysWOW64\cscript.exe.
Option Explicit

' Values of the type library's enumerations (scripts cannot read them from it).
Const corMP3SeekFromBeginning = 0
Const corMP3SortByFile = 0
Const corMP3SortAscending = 1

Dim fso, target
Set fso = CreateObject("Scripting.FileSystemObject")
If WScript.Arguments.Count < 1 Then
    WScript.Echo "usage: play.vbs FILE.mp3 | FOLDER [LIST.m3u]"
    WScript.Quit 2
End If
target = fso.GetAbsolutePathName(WScript.Arguments(0))
If fso.FolderExists(target) Then
    If WScript.Arguments.Count > 1 Then
        WScript.Quit ListFolder(target, fso.GetAbsolutePathName(WScript.Arguments(1)))
    End If
    WScript.Quit ListFolder(target, fso.GetAbsolutePathName("playlist.m3u"))
End If
WScript.Quit PlayFile(target)

' Prints what went wrong in the last call and clears it; the controls report
' their errors through Err like any automation object.
Sub ReportError(what)
    WScript.Echo "error " & Err.Number & " " & what & ": " & Err.Description
    Err.Clear
End Sub

' Waits, letting the control run: WScript.Sleep handles the messages of the
' script's thread, which carry the control's timer and its notifications.
' False, with the reason printed, when the script host cannot wait (Wine's
' cscript, for one, has no WScript.Sleep).
Function Wait(milliseconds)
    On Error Resume Next
    WScript.Sleep milliseconds
    Wait = (Err.Number = 0)
    If Err.Number <> 0 Then ReportError "waiting for the end of the track"
End Function

' Plays one file to its end. The control finds the end of the track on a
' timer of its own, so IsPlaying turns False while the script waits.
Function PlayFile(path)
    Dim player, length
    PlayFile = 1
    Set player = CreateObject("CorvaneMP3.CVMP3Player")
    On Error Resume Next
    player.Filename = path
    If Err.Number <> 0 Then ReportError "opening " & path : Exit Function
    ' The player keeps no name of a file it cannot read.
    If player.Filename = "" Then WScript.Echo "cannot play " & path & ": no such file, or not MPEG audio" : Exit Function
    length = player.TrackLength
    WScript.Echo "playing " & path & " (MPEG " & player.MPEGVersion & " layer " & player.Layer & ", " & _
                 player.SampleRate & " Hz, " & length & " s)"
    player.PlayStart
    If Err.Number <> 0 Then ReportError "playing " & path : Exit Function
    On Error Goto 0
    Do While player.IsPlaying
        If Not Wait(500) Then player.PlayStop : Exit Function
        WScript.Echo "position " & FormatNumber(player.TrackPosition(corMP3SeekFromBeginning), 1) & _
                     " of " & length & " s"
    Loop
    WScript.Echo "finished " & path
    PlayFile = 0
End Function

' Builds, sorts, prints and saves a play list of a folder's .mp3 files. A file
' that is not MPEG audio is reported and left out.
Function ListFolder(folder, listFile)
    Dim list, file, entry, index
    ListFolder = 1
    Set list = CreateObject("CorvaneMP3.CVMP3PlayList")
    On Error Resume Next
    For Each file In fso.GetFolder(folder).Files
        If LCase(fso.GetExtensionName(file.Name)) = "mp3" Then
            list.AddEntry file.Path
            If Err.Number <> 0 Then ReportError "adding " & file.Name
        End If
    Next
    list.Sort corMP3SortByFile, corMP3SortAscending
    If Err.Number <> 0 Then ReportError "sorting the list" : Exit Function
    On Error Goto 0
    index = 0
    For Each entry In list
        index = index + 1
        WScript.Echo index & ". " & fso.GetFileName(entry.Filename) & " - " & entry.TrackLength & " s"
    Next
    WScript.Echo list.Count & " entries, " & FormatNumber(list.TotalPlayListTime, 0) & " s in all"
    On Error Resume Next
    list.SavePlayList listFile
    If Err.Number <> 0 Then ReportError "saving " & listFile : Exit Function
    WScript.Echo "saved " & listFile
    ListFolder = 0
End Function
