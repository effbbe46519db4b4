// The engine's joints filled at the plug-in's start-up: every hook record and table that a lower
// floor declares and the product relies on is installed here by the floor that owns the answer.
// Main thread, before any document loads; running it again changes nothing.
#pragma once

// The score formats of storage (native scores, archives), of the MusicXML importer and of ABC
// (a stand-in row until its importer comes), the importer's bar-number hook, and the score
// side of real-time playback. Page layout's and the staff objects' slots (score/score_hooks.h)
// are filled by their own start-ups, which the plug-in's start-up runs (plugin/startup.h). The
// slots of floors that hold no code yet keep their stand-ins: the singer's (score/score_hooks.h
// and playback's PlaybackSingerHooks), and the on-screen keyboard's (playback's
// PlaybackPluginHooks, filled by the player interface).
void PlugInInstalleMoteur();
