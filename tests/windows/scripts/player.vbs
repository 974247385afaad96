' The player and its equalizer driven by name from VBScript, as a host script
' uses them. Arguments: the fixture folder and a scratch folder. Every failed
' check prints a FAIL line; the last line, DONE, shows the script ran to its end.
Option Explicit
Dim failures, fixtures, scratch, fso
failures = 0
Sub Check(ok, what)
    If Not ok Then failures = failures + 1 : WScript.Echo "FAIL: " & what
End Sub
' The error a statement raised: number, source and description in one text.
Function Raised()
    Raised = Err.Number & "|" & Err.Source & "|" & Err.Description
    Err.Clear
End Function

fixtures = WScript.Arguments(0) : scratch = WScript.Arguments(1)
Set fso = CreateObject("Scripting.FileSystemObject")
fso.CopyFile fixtures & "\l3_mpeg1_cbr128_joint_v1.mp3", scratch & "\player.mp3"
fso.CopyFile fixtures & "\l3_mpeg1_cbr128_joint_v1.mp3", scratch & "\gone.mp3"

Dim p, eq, band, x, d, a, ch
Set p = CreateObject("CorvaneMP3.CVMP3Player")
Check p.ChangeInterval = 100 And p.DeviceName = "Maltrex Wave Mapper" And p.Filename = "", "defaults of a new player"
Check p.GfxWaveFormLBound = -32768 And p.GfxWaveFormUBound = 32767, "wave-form bounds"
Check p.GenreList(8) = "Jazz" And p.GenreList(200) = "", "genre names"

' Values a member normalises go back through a by-reference variable.
x = 5 : p.ChangeInterval = x
Check x = 10 And p.ChangeInterval = 10, "ChangeInterval raised to 10 and written back, got " & x
x = 999 : p.ChangeInterval = x
Check x = 250 And p.ChangeInterval = 250, "ChangeInterval cut to 250 and written back, got " & x

On Error Resume Next
p.Filename = fixtures & "\no such file.mp3"
Check Err.Number = 0 And p.Filename = "", "a missing file leaves Filename empty, quietly"
p.PlayStart
Check Err.Number = 0 And Not p.IsPlaying, "PlayStart without a file does nothing"
p.Filename = scratch & "\gone.mp3"
fso.DeleteFile scratch & "\gone.mp3"
p.PlayStart
Check Raised() = "53|CVMP3Player|Can't find specified file. (File not found)", "PlayStart of a file that went away"
p.ChangeInterval = "many"
Check Err.Number = 13, "a text that is no number is a type mismatch: " & Raised()
x = p.GenreList()
Check Err.Number = 450, "a missing argument is the wrong number of arguments: " & Raised()

p.Filename = scratch & "\player.mp3"
Check p.MPEGVersion = "1" And p.Layer = "3" And p.SampleRate = 44100 And p.ChannelMode = "Joint Stereo", "stream facts"
Check p.DataRate = 128000 And p.TrackLength = 3 And p.FileSize > 0 And p.Frames > 100, "rates and sizes"
Check p.CRCExists = False And p.Original = True And p.Copyrighted = False And p.Channels = 2, "flags and channels"
Check p.ID3Title = "Fixture-Title" And p.ID3Artist = "Fixture-Artist" And p.ID3Album = "Fixture-Album", "tag texts"
Check p.ID3Year = "2024" And p.ID3Comment = "Fixture-Comment" And p.ID3Genre = 8, "tag year, comment, genre"
p.ID3Title = "Written Title"
p.ID3Genre = 17
p.Filename = scratch & "\player.mp3"
Check p.ID3Title = "Written Title" And p.ID3Genre = 17 And p.ID3Artist = "Fixture-Artist", "a written tag reads back"

p.PlayStart
Check Err.Number = 0 And p.IsPlaying And Not p.IsPaused, "PlayStart plays: " & Raised()
p.PlayPause
Check p.IsPlaying And p.IsPaused, "PlayPause pauses"
p.TrackPosition(0) = 1.5
Check p.IsPaused, "a seek while paused stays paused"
p.PlayStart
Check Not p.IsPaused, "PlayStart resumes"
ch = 7
x = p.VUMeter(ch)
Check ch >= 0 And ch <= 2, "VUMeter pulls the channel into range, got " & ch
ch = 1 : x = 0
x = p.GfxWaveFormSample(ch, x) + p.SpectrumAnalysis(ch, 0)
Check Err.Number = 0, "analysis values read: " & Raised()
d = 25
p.PlayFadeOut d
Check d = 20, "a fade-out time above 20 is cut to 20 and written back, got " & d
p.PlayStop
Check Not p.IsPlaying And Not p.IsPaused, "PlayStop stops"
a = 0.5
p.PlayFadeIn a
Check p.IsPlaying, "PlayFadeIn plays"
p.PlayStop

' The equalizer: the player's own, the same object on every call.
Set eq = p.Equalizer
Check eq Is p.Equalizer And eq.Enabled = False And eq.BandCount = 0, "a new player's equalizer"
eq.Enabled = True
eq.AddBand 1000 : eq.AddBand 2000
Check eq.Enabled And eq.BandCount = 2, "bands added"
Set band = eq(2, 1)
Check band.GetFrequency() = 2000 And eq(1000, 0).GetFrequency() = 1000, "Band by index and by frequency"
band.Gain = 3.5
Check eq(2000, 0).Gain = 3.5 And band Is eq(2000, 0), "a band's gain"
ch = 1
eq.Gain(ch) = -2
Check eq.Gain(1) = -2 And eq.Gain(2) = 0, "overall gain per channel"
eq.AddBand 1000
Check Raised() = "30090|CorvaneMP3.Equalizer|Frequency band already exists in equalizer.", "a band twice"
eq.RemoveBand 5000
Check Raised() = "30091|CorvaneMP3.Equalizer|Frequency band does not exist in equalizer.", "removing a missing band"
For Each band In eq
Next
Check Err.Number <> 0, "for-each finds no enumerator on an equalizer" : Err.Clear
Set band = eq.NewEnum
Check Err.Number = 0, "NewEnum by name gives the band enumerator: " & Raised()
eq.Clear
Set band = eq(1, 1)
Check Raised() = "30092|CorvaneMP3.Equalizer|There are no frequency bands currently assigned to the equalizer.", "Band of an empty equalizer"

' Objects a script still holds outlive their control.
eq.AddBand 500
Set p = Nothing
Check eq.BandCount = 0 And Err.Number = 0, "the equalizer of a released player still answers: " & Raised()
WScript.Echo "DONE with " & failures & " failures"
