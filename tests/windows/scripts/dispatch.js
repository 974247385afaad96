// From JScript, which passes every argument by value and catches errors as
// exceptions.
var failures = 0;
function check(ok, what) {
    if (!ok) { failures++; WScript.Echo("FAIL: " + what); }
}
var player = new ActiveXObject("CorvaneMP3.CVMP3Player");
player.ChangeInterval = 3;
check(player.ChangeInterval == 10, "a by-reference parameter takes a plain value");
var pl = new ActiveXObject("CorvaneMP3.CVMP3PlayList"), caught = "nothing";
try { pl.RemoveEntry("nothing"); } catch (e) { caught = (e.number & 0xFFFF) + "|" + e.description; }
check(caught == "30078|There is no PlayList entry nothing.", "an error is caught with its number and description: " + caught);
WScript.Echo("DONE with " + failures + " failures");
