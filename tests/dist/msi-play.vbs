' The installed controls made by ProgID: the play list reads a three-second file
' through the installed decoder library, the player plays, pauses, stops it.
Option Explicit
Dim failures, p, pl
failures = 0
Sub Check(ok, what)
    If Not ok Then failures = failures + 1 : WScript.Echo "FAIL: " & what
End Sub
Set pl = CreateObject("CorvaneMP3.CVMP3PlayList")
Check pl.AddEntry(WScript.Arguments(0)) And pl.Count = 1, "the play list takes the file"
Set p = CreateObject("CorvaneMP3.CVMP3Player")
p.Filename = pl(1).Filename
Check p.TrackLength = 3 And pl(1).TrackLength = 3, "both controls read the track's length: " & p.TrackLength
p.PlayStart
Check p.IsPlaying And Not p.IsPaused, "the player plays"
p.PlayPause
Check p.IsPlaying And p.IsPaused, "the player pauses"
p.PlayStop
Check Not p.IsPlaying And Not p.IsPaused, "the player stops"
WScript.Echo "DONE with " & failures & " failures"
