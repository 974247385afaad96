' The server from VBScript: by-reference write-back, optional arguments, default
' members, for-each, errors in Err. Arguments: the fixture folder, a scratch folder.
Option Explicit
Dim failures, fixtures, p, pl, eq, a, b, c, x, d, entry, last, names, cafe
failures = 0
Sub Check(ok, what)
    If Not ok Then failures = failures + 1 : WScript.Echo "FAIL: " & what
End Sub
Function Raised()
    Raised = Err.Number & "|" & Err.Source & "|" & Err.Description
    Err.Clear
End Function

fixtures = WScript.Arguments(0)
a = fixtures & "\l3_mpeg1_cbr128_joint_v1.mp3"
b = fixtures & "\l2_mpeg1_192_stereo_v1.mp3"
c = fixtures & "\l1_mpeg1_384_stereo.mp3"
Set p = CreateObject("CorvaneMP3.CVMP3Player")
x = 5 : p.ChangeInterval = x
Check x = 10, "the value a property keeps is written back, got " & x
d = 25 : p.PlayFadeOut d
Check d = 20, "the value a method keeps is written back, got " & d

Set pl = CreateObject("CorvaneMP3.CVMP3PlayList")
Check pl.AddEntry(a), "AddEntry with its optional arguments left out"
pl.AddEntry b, , , "KeyB"
pl.AddEntry c, 1
Check pl(1) = c And pl(2).Filename = a And pl("KeyB").Filename = b, "default members by position and key, in order"
Check pl(1) Is pl.PlayListEntries(1), "the same entry is the same object"

On Error Resume Next
pl.AddEntry a, , , "KeyB"
Check Raised() = "457|CorvaneMP3.CVMP3PlayList.AddEntry|This key is already associated with an element of this collection.", "an error with its own source"
pl.RemoveEntry 9
Check Raised() = "30078|CorvaneMP3.CVMP3PlayList|There is no PlayList entry 9.", "an error takes the object's name as its source"
pl.LoadPlayList
Check Raised() = "30077|CVMP3PlayList.LoadPlayList|A valid PlayList file name must be selected in order to load or save it.", "an optional variant left out"
p.ChangeInterval = "many"
Check Err.Number = 13, "a text that is no number is a type mismatch: " & Raised()

Set eq = p.Equalizer
eq.AddBand 1000 : eq.AddBand 2000
Check eq(2, 1).GetFrequency() = 2000 And eq(2, 1) Is eq(2000, 0), "the equalizer's bands by index and by frequency"
eq.AddBand 1000
Check Raised() = "30090|CorvaneMP3.Equalizer|Frequency band already exists in equalizer.", "the equalizer's errors"
Set p = Nothing
Check eq.BandCount = 0 And Err.Number = 0, "the equalizer of a released player still answers: " & Raised()
On Error Goto 0

x = 0 : names = ""
For Each entry In pl
    pl.RemoveEntry 1
    x = x + 1 : names = names & entry.Key & "."
    Set last = entry
Next
Check x = 3 And names = "..KeyB." And pl.Count = 0, "for-each while removing visits every entry once: " & names
Set pl = Nothing
Check last.Filename = b And last.TrackLength > 0, "an entry a script holds outlives its removal and its list"
cafe = WScript.Arguments(1) & "\Caf" & Chr(233) & ".mp3"
CreateObject("Scripting.FileSystemObject").CopyFile a, cafe
Set pl = CreateObject("CorvaneMP3.CVMP3PlayList")
Check pl.AddEntry(cafe) And pl(1).TrackLength = 3, "a file name outside ASCII reaches the decoder library"
WScript.Echo "DONE with " & failures & " failures"
