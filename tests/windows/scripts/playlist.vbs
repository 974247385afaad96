' The play list driven by name from VBScript: adding with keys and positions,
' lookups, moves, sorting, saving and loading, for-each, default members and
' the errors it raises. Arguments: the fixture folder and a scratch folder.
Option Explicit
Dim failures, fixtures, scratch
failures = 0
Sub Check(ok, what)
    If Not ok Then failures = failures + 1 : WScript.Echo "FAIL: " & what
End Sub
Function Raised()
    Raised = Err.Number & "|" & Err.Source & "|" & Err.Description
    Err.Clear
End Function
Function Names(list)
    Dim entry
    Names = ""
    For Each entry In list
        Names = Names & Mid(entry.Filename, InStrRev(entry.Filename, "\") + 1) & " "
    Next
End Function

fixtures = WScript.Arguments(0) : scratch = WScript.Arguments(1)
Dim pl, a, b, c, x, target, order, kind, entry, last
a = fixtures & "\l3_mpeg1_cbr128_joint_v1.mp3"
b = fixtures & "\l2_mpeg1_192_stereo_v1.mp3"
c = fixtures & "\l1_mpeg1_384_stereo.mp3"
Set pl = CreateObject("CorvaneMP3.CVMP3PlayList")
Check pl.Count = 0 And pl.TotalPlayListTime = 0 And pl.Filename = "", "a new list is empty"

Check pl.AddEntry(a), "AddEntry returns True"
pl.AddEntry b, , , "KeyB"
pl.AddEntry c, 1
Check pl.Count = 3 And Names(pl) = "l1_mpeg1_384_stereo.mp3 l3_mpeg1_cbr128_joint_v1.mp3 l2_mpeg1_192_stereo_v1.mp3 ", _
      "positions and order: " & Names(pl)
Check pl.TotalPlayListTime = pl(1).TrackLength + pl(2).TrackLength + pl(3).TrackLength, "total time"
Check pl("keyb").Filename = b And pl.PlayListEntries("KEYB").Key = "KeyB", "lookup by key, any letter case"
x = pl(1)
Check x = c And pl(1) = pl(1).Filename, "an entry used as a value is its file name"
Check pl(1) Is pl(1), "the same entry is the same object"
Check pl(7) Is Nothing, "no entry at a position outside the list"
Set entry = pl(2)
entry.Tag = "mine"
Check pl(2).Tag = "mine" And entry.MPEGVersion = "1" And entry.Layer = "3" And entry.SampleRate = 44100, "entry members"
Check entry.ChannelMode = "Joint Stereo" And entry.GenreList(8) = "Jazz" And entry.SetFileName(a) = 0, "entry methods"

On Error Resume Next
pl.AddEntry a, , , "keyB"
Check Raised() = "457|CorvaneMP3.CVMP3PlayList.AddEntry|This key is already associated with an element of this collection.", "a key in use"
pl.AddEntry fixtures & "\missing.mp3"
Check Raised() = "53|CVMP3Player|Can't find specified file. (File not found)", "a missing file"
pl.RemoveEntry 9
Check Raised() = "30078|CorvaneMP3.CVMP3PlayList|There is no PlayList entry 9.", "removing a missing entry"
x = 1 : kind = 5 : target = 9
pl.MovePlayListEntry x, kind, target
Check Raised() = "30078|CorvaneMP3.CVMP3PlayList|There is no PlayList entry '9'.", "moving before a missing entry"
pl.LoadPlayList
Check Raised() = "30077|CVMP3PlayList.LoadPlayList|A valid PlayList file name must be selected in order to load or save it.", "loading without a name"
On Error Goto 0

x = 3 : kind = 3
pl.MovePlayListEntry x, kind
Check Names(pl) = "l2_mpeg1_192_stereo_v1.mp3 l1_mpeg1_384_stereo.mp3 l3_mpeg1_cbr128_joint_v1.mp3 ", "moved to the top: " & Names(pl)
kind = 0 : order = 1
pl.Sort kind, order
Check Names(pl) = "l1_mpeg1_384_stereo.mp3 l2_mpeg1_192_stereo_v1.mp3 l3_mpeg1_cbr128_joint_v1.mp3 ", "sorted by file: " & Names(pl)
order = -1
pl.Sort kind, order
Check Names(pl) = "l3_mpeg1_cbr128_joint_v1.mp3 l2_mpeg1_192_stereo_v1.mp3 l1_mpeg1_384_stereo.mp3 ", "sorted descending: " & Names(pl)

pl.SavePlayList scratch & "\list.m3u"
Check pl.Filename = scratch & "\list.m3u", "SavePlayList takes the name"
pl.Clear
Check pl.Count = 0 And pl.TotalPlayListTime = 0, "Clear empties the list"
pl.LoadPlayList
Check Names(pl) = "l3_mpeg1_cbr128_joint_v1.mp3 l2_mpeg1_192_stereo_v1.mp3 l1_mpeg1_384_stereo.mp3 ", "a saved list loads back: " & Names(pl)

' A for-each that removes what it visits still visits every entry once.
x = 0
For Each entry In pl
    pl.RemoveEntry 1
    x = x + 1
    Set last = entry
Next
Check x = 3 And pl.Count = 0, "for-each while removing"
Check last.Filename = c, "an entry a script holds outlives its removal"
Set pl = Nothing
Check last.TrackLength > 0, "and its list"
WScript.Echo "DONE with " & failures & " failures"
