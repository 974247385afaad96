// play.js - the CorvaneMP3 controls from JScript.
//
//   cscript //nologo play.js FILE.mp3
//       plays the file to its end, printing the position every half second
//   cscript //nologo play.js FOLDER [LIST.m3u]
//       puts the folder's .mp3 files in a play list, sorts it by file name,
//       prints each entry with its length and saves the list (playlist.m3u in
//       the current folder unless LIST.m3u is given)
//
// Register CorvaneMP3.ocx first (see README.txt). A script host of the same
// architecture as the registered control is needed: on 64-bit Windows the
// 32-bit control is used from %SystemRoot%\SysWOW64\cscript.exe.

// Values of the type library's enumerations (scripts cannot read them from it).
var corMP3SeekFromBeginning = 0;
var corMP3SortByFile = 0;
var corMP3SortAscending = 1;

var fso = new ActiveXObject("Scripting.FileSystemObject");

// JScript throws the controls' errors as exceptions. Their numbers are
// automation errors (0x800Axxxx) carrying the control's error number in the
// low 16 bits; anything else is shown as the full HRESULT.
function report(what, e) {
    var number = (e.number >>> 16) == 0x800A ? e.number & 0xFFFF : "0x" + (e.number >>> 0).toString(16);
    WScript.Echo("error " + number + " " + what + ": " + e.description);
}

// Waits, letting the control run: WScript.Sleep handles the messages of the
// script's thread, which carry the control's timer and its notifications.
// False, with the reason printed, when the script host cannot wait (Wine's
// cscript, for one, has no WScript.Sleep).
function wait(milliseconds) {
    try {
        WScript.Sleep(milliseconds);
        return true;
    } catch (e) {
        report("waiting for the end of the track", e);
        return false;
    }
}

// Plays one file to its end. The control finds the end of the track on a
// timer of its own, so IsPlaying turns false while the script waits.
function playFile(path) {
    var player = new ActiveXObject("CorvaneMP3.CVMP3Player"), length;
    try {
        player.Filename = path;
        // The player keeps no name of a file it cannot read.
        if (player.Filename == "") {
            WScript.Echo("cannot play " + path + ": no such file, or not MPEG audio");
            return 1;
        }
        length = player.TrackLength;
        WScript.Echo("playing " + path + " (MPEG " + player.MPEGVersion + " layer " + player.Layer + ", " +
                     player.SampleRate + " Hz, " + length + " s)");
        player.PlayStart();
    } catch (e) {
        report("playing " + path, e);
        return 1;
    }
    while (player.IsPlaying) {
        if (!wait(500)) {
            player.PlayStop();
            return 1;
        }
        WScript.Echo("position " + player.TrackPosition(corMP3SeekFromBeginning).toFixed(1) + " of " + length + " s");
    }
    WScript.Echo("finished " + path);
    return 0;
}

// Builds, sorts, prints and saves a play list of a folder's .mp3 files. A file
// that is not MPEG audio is reported and left out.
function listFolder(folder, listFile) {
    var list = new ActiveXObject("CorvaneMP3.CVMP3PlayList"), index = 0;
    // The shell's view of the folder lists its files by index.
    var items = new ActiveXObject("Shell.Application").NameSpace(folder).Items();
    for (var i = 0; i < items.Count; i++) {
        var item = items.Item(i);
        if (item.IsFolder || fso.GetExtensionName(item.Path).toLowerCase() != "mp3") continue;
        try {
            list.AddEntry(item.Path);
        } catch (e) {
            report("adding " + fso.GetFileName(item.Path), e);
        }
    }
    try {
        list.Sort(corMP3SortByFile, corMP3SortAscending);
        for (var entries = new Enumerator(list); !entries.atEnd(); entries.moveNext()) {
            var entry = entries.item();
            WScript.Echo(++index + ". " + fso.GetFileName(entry.Filename) + " - " + entry.TrackLength + " s");
        }
        WScript.Echo(list.Count + " entries, " + list.TotalPlayListTime.toFixed(0) + " s in all");
        list.SavePlayList(listFile);
    } catch (e) {
        report("with the play list", e);
        return 1;
    }
    WScript.Echo("saved " + listFile);
    return 0;
}

if (WScript.Arguments.length < 1) {
    WScript.Echo("usage: play.js FILE.mp3 | FOLDER [LIST.m3u]");
    WScript.Quit(2);
}
var target = fso.GetAbsolutePathName(WScript.Arguments(0));
if (fso.FolderExists(target)) {
    var listFile = fso.GetAbsolutePathName(WScript.Arguments.length > 1 ? WScript.Arguments(1) : "playlist.m3u");
    WScript.Quit(listFolder(target, listFile));
}
WScript.Quit(playFile(target));
