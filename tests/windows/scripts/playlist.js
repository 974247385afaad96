// The play list from JScript: the enumerator, default members, by-reference
// arguments passed as plain values, and errors caught as exceptions.
// Arguments: the fixture folder and a scratch folder.
var failures = 0;
function check(ok, what) {
    if (!ok) { failures++; WScript.Echo("FAIL: " + what); }
}
function raised(action) {
    try { action(); } catch (e) { return (e.number & 0xFFFF) + "|" + e.description; }
    return "nothing";
}

var fixtures = WScript.Arguments(0);
var pl = new ActiveXObject("CorvaneMP3.CVMP3PlayList");
pl.AddEntry(fixtures + "\\l3_mpeg1_cbr128_joint_v1.mp3");
pl.AddEntry(fixtures + "\\l2_mpeg2_64_mono.mp3", 0, 0, "mono");
check(pl.Count == 2, "two entries");
check(pl(2).Filename == pl.PlayListEntries("mono").Filename, "the default member takes a position or a key");
check(pl(2).ChannelMode == "Single Channel" && pl(2).MPEGVersion == "2", "entry facts");

var names = [];
for (var e = new Enumerator(pl); !e.atEnd(); e.moveNext()) names.push(e.item().Key);
check(names.length == 2 && names[1] == "mono", "the enumerator visits every entry: " + names);

check(raised(function () { pl.RemoveEntry("nothing"); }) == "30078|There is no PlayList entry nothing.", "a missing key");
check(raised(function () { pl.AddEntry(); }) != "nothing", "AddEntry without a file name fails");

var player = new ActiveXObject("CorvaneMP3.CVMP3Player");
player.ChangeInterval = 3;
check(player.ChangeInterval == 10, "ChangeInterval from a plain value");
var eq = player.Equalizer;
eq.AddBand(60);
eq.AddBand(12000);
check(eq(2, 1).GetFrequency() == 12000 && eq.BandCount == 2, "bands by index");
check(raised(function () { new Enumerator(eq); }) != "nothing", "an equalizer is no collection for Enumerator");
check(raised(function () { eq.AddBand(60); }) == "30090|Frequency band already exists in equalizer.", "a band twice");
WScript.Echo("DONE with " + failures + " failures");
