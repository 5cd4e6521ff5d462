<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en">
<context>
    <name>BankFile</name>
    <message>
        <source>INFO : The file presents a bad CheckSum header. We will try to load it...</source>
        <translation>INFO : The file presents a bad CheckSum header. We will try to load it...</translation>
    </message>
    <message>
        <source>This is not a valid Ketron SD1 Header (KUSD3) !</source>
        <translation>This is not a valid Ketron SD1 Header (KUSD3) !</translation>
    </message>
    <message>
        <source>Bad Kit Format !</source>
        <translation>Bad Kit Format !</translation>
    </message>
    <message>
        <source>This is not a valid Ketron SD1 Header (KUSV0) !</source>
        <translation>This is not a valid Ketron SD1 Header (KUSV0) !</translation>
    </message>
    <message>
        <source>Bad USV Format !</source>
        <translation>Bad USV Format !</translation>
    </message>
</context>
<context>
    <name>BankWindow</name>
    <message>
        <source>The file %1 could not be saved : %2 !
It was left as it was.</source>
        <translation>The file %1 could not be saved : %2 !
It was left as it was.</translation>
    </message>
</context>
<context>
    <name>DrumKit</name>
    <message>
        <source>Instruments with velocity layers (%1): each plays its layer of velocity 100.</source>
        <translation>Instruments with velocity layers (%1): each plays its layer of velocity 100.</translation>
    </message>
    <message>
        <source>Sound files drumkit.xml names but the folder lacks, left out: %1.</source>
        <translation>Sound files drumkit.xml names but the folder lacks, left out: %1.</translation>
    </message>
    <message>
        <source>%1: kept %2 of %3 layers; left out %4.</source>
        <translation>%1: kept %2 of %3 layers; left out %4.</translation>
    </message>
    <message>
        <source>Silent placeholders left out: %1.</source>
        <translation>Silent placeholders left out: %1.</translation>
    </message>
    <message>
        <source>Unreadable sound files left out: %1.</source>
        <translation>Unreadable sound files left out: %1.</translation>
    </message>
    <message>
        <source>An MSP holds %1 sounds: left out %2.</source>
        <translation>An MSP holds %1 sounds: left out %2.</translation>
    </message>
    <message>
        <source>The kit&apos;s gains would clip: the whole kit is %1 dB lower.</source>
        <translation>The kit&apos;s gains would clip: the whole kit is %1 dB lower.</translation>
    </message>
    <message>
        <source>drumkit.xml cannot be read (%1): the folder&apos;s sound files are taken as they are.</source>
        <translation>drumkit.xml cannot be read (%1): the folder&apos;s sound files are taken as they are.</translation>
    </message>
    <message>
        <source>Drum kit, one key per sound: %1.</source>
        <translation>Drum kit, one key per sound: %1.</translation>
    </message>
</context>
<context>
    <name>EditMenu</name>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Redo</translation>
    </message>
</context>
<context>
    <name>ExportPlan</name>
    <message>
        <source>its own loop, kept</source>
        <translation>its own loop, kept</translation>
    </message>
    <message>
        <source>no loop: a one-shot in its instrument</source>
        <translation>no loop: a one-shot in its instrument</translation>
    </message>
    <message>
        <source>%1: unreadable: %2.</source>
        <translation>%1: unreadable: %2.</translation>
    </message>
    <message>
        <source>Two samples would be written as %1.</source>
        <translation>Two samples would be written as %1.</translation>
    </message>
    <message>
        <source>%1.WAV belongs to %2, which is left as it is: this set&apos;s sample is written as %3.WAV.</source>
        <translation>%1.WAV belongs to %2, which is left as it is: this set&apos;s sample is written as %3.WAV.</translation>
    </message>
    <message>
        <source>Keys %1 are played by more than one sample (%2): the keyboard sounds only the first on each key.</source>
        <translation>Keys %1 are played by more than one sample (%2): the keyboard sounds only the first on each key.</translation>
    </message>
    <message>
        <source>no loop: a drum of the kit</source>
        <translation>no loop: a drum of the kit</translation>
    </message>
</context>
<context>
    <name>FileErrors</name>
    <message>
        <source>Unknown error</source>
        <translation>Unknown error</translation>
    </message>
    <message>
        <source>Is a directory</source>
        <translation>Is a directory</translation>
    </message>
    <message>
        <source>Cannot write %1: %2.</source>
        <translation>Cannot write %1: %2.</translation>
    </message>
    <message>
        <source>No file name specified</source>
        <translation>No file name specified</translation>
    </message>
    <message>
        <source>Not a regular file</source>
        <translation>Not a regular file</translation>
    </message>
</context>
<context>
    <name>FileWriteCommand</name>
    <message>
        <source>&quot;%1&quot; could not be put back: %2</source>
        <translation>&quot;%1&quot; could not be put back: %2</translation>
    </message>
    <message>
        <source>another program changed it since; it is left as it is</source>
        <translation>another program changed it since; it is left as it is</translation>
    </message>
</context>
<context>
    <name>KeyboardExport</name>
    <message>
        <source>The folder %1 does not exist.</source>
        <translation>The folder %1 does not exist.</translation>
    </message>
    <message>
        <source>The MSP file has no name.</source>
        <translation>The MSP file has no name.</translation>
    </message>
    <message>
        <source>%1: unreadable: %2.</source>
        <translation>%1: unreadable: %2.</translation>
    </message>
    <message>
        <source>Cannot write %1: %2.</source>
        <translation>Cannot write %1: %2.</translation>
    </message>
    <message>
        <source>The export needs %1 in %2, but only %3 is free: nothing was written.</source>
        <translation>The export needs %1 in %2, but only %3 is free: nothing was written.</translation>
    </message>
</context>
<context>
    <name>KeyboardFormat</name>
    <message>
        <source>missing</source>
        <translation>missing</translation>
    </message>
    <message>
        <source>not a file</source>
        <translation>not a file</translation>
    </message>
    <message>
        <source>unreadable: </source>
        <translation>unreadable: </translation>
    </message>
    <message>
        <source> channels</source>
        <translation> channels</translation>
    </message>
    <message>
        <source>header sizes disagree with the file</source>
        <translation>header sizes disagree with the file</translation>
    </message>
</context>
<context>
    <name>LoopFinder</name>
    <message>
        <source>too short</source>
        <translation>too short</translation>
    </message>
    <message>
        <source>samples not finite</source>
        <translation>samples not finite</translation>
    </message>
    <message>
        <source>no steady pitch</source>
        <translation>no steady pitch</translation>
    </message>
    <message>
        <source>no loop: </source>
        <translation>no loop: </translation>
    </message>
    <message>
        <source>loop %1-%2</source>
        <translation>loop %1-%2</translation>
    </message>
    <message>
        <source>, crossfade %1</source>
        <translation>, crossfade %1</translation>
    </message>
    <message>
        <source>decays to silence, no held part</source>
        <translation>decays to silence, no held part</translation>
    </message>
    <message>
        <source>no steady sound</source>
        <translation>no steady sound</translation>
    </message>
</context>
<context>
    <name>LoopTool</name>
    <message>
        <source>Select a sample first.</source>
        <translation>Select a sample first.</translation>
    </message>
    <message>
        <source>%1 is not in the keyboard&apos;s format (%2), so Find loop leaves it as it is. Export for the keyboard with Find loops ticked loops the exported copy.</source>
        <translation>%1 is not in the keyboard&apos;s format (%2), so Find loop leaves it as it is. Export for the keyboard with Find loops ticked loops the exported copy.</translation>
    </message>
    <message>
        <source>%1: unreadable: %2</source>
        <translation>%1: unreadable: %2</translation>
    </message>
    <message>
        <source>%1 has a loop already; it stays as it is.</source>
        <translation>%1 has a loop already; it stays as it is.</translation>
    </message>
    <message>
        <source>%1: %2.</source>
        <translation>%1: %2.</translation>
    </message>
    <message>
        <source>%1 could not be written: %2</source>
        <translation>%1 could not be written: %2</translation>
    </message>
    <message>
        <source>Find loop</source>
        <translation>Find loop</translation>
    </message>
    <message>
        <source>%1: %2 (%3 s long, %4 s crossfade). Write this loop into the file?</source>
        <translation>%1: %2 (%3 s long, %4 s crossfade). Write this loop into the file?</translation>
    </message>
    <message>
        <source>%1: %2 (%3 s long, %4 s crossfade). Keep this loop with the set? The file stays as it is; the export loops its copy.</source>
        <translation>%1: %2 (%3 s long, %4 s crossfade). Keep this loop with the set? The file stays as it is; the export loops its copy.</translation>
    </message>
</context>
<context>
    <name>ParameterTable</name>
    <message>
        <source>LEVEL</source>
        <translation>LEVEL</translation>
    </message>
    <message>
        <source>REVERB</source>
        <translation>REVERB</translation>
    </message>
    <message>
        <source>OCTAVE</source>
        <translation>OCTAVE</translation>
    </message>
    <message>
        <source>FINE TUNE</source>
        <translation>FINE TUNE</translation>
    </message>
    <message>
        <source>OVERDRIVE</source>
        <translation>OVERDRIVE</translation>
    </message>
    <message>
        <source>DELAY</source>
        <translation>DELAY</translation>
    </message>
    <message>
        <source>CHORUS</source>
        <translation>CHORUS</translation>
    </message>
    <message>
        <source>ROTOR</source>
        <translation>ROTOR</translation>
    </message>
    <message>
        <source>START</source>
        <translation>START</translation>
    </message>
    <message>
        <source>PITCH</source>
        <translation>PITCH</translation>
    </message>
    <message>
        <source>END</source>
        <translation>END</translation>
    </message>
    <message>
        <source>KEY</source>
        <translation>KEY</translation>
    </message>
    <message>
        <source>VOLUME</source>
        <translation>VOLUME</translation>
    </message>
    <message>
        <source>FINE</source>
        <translation>FINE</translation>
    </message>
    <message>
        <source>ATTACK</source>
        <translation>ATTACK</translation>
    </message>
    <message>
        <source>CUT OFF</source>
        <translation>CUT OFF</translation>
    </message>
    <message>
        <source>DECAY</source>
        <translation>DECAY</translation>
    </message>
    <message>
        <source>DCA OFFS</source>
        <translation>DCA OFFS</translation>
    </message>
    <message>
        <source>SUSTAIN</source>
        <translation>SUSTAIN</translation>
    </message>
    <message>
        <source>DCA SLOP</source>
        <translation>DCA SLOP</translation>
    </message>
    <message>
        <source>RELEASE</source>
        <translation>RELEASE</translation>
    </message>
    <message>
        <source>DCF OFFS</source>
        <translation>DCF OFFS</translation>
    </message>
    <message>
        <source>DCF SLOP</source>
        <translation>DCF SLOP</translation>
    </message>
</context>
<context>
    <name>PitchCheck</name>
    <message>
        <source>the sampler chunk</source>
        <translation>the sampler chunk</translation>
    </message>
    <message>
        <source>the name</source>
        <translation>the name</translation>
    </message>
    <message>
        <source>the name, its octave moved</source>
        <translation>the name, its octave moved</translation>
    </message>
    <message>
        <source>the sound</source>
        <translation>the sound</translation>
    </message>
    <message>
        <source>the set</source>
        <translation>the set</translation>
    </message>
    <message>
        <source>the SFZ file</source>
        <translation>the SFZ file</translation>
    </message>
    <message>
        <source>the SoundFont</source>
        <translation>the SoundFont</translation>
    </message>
    <message>
        <source>nowhere</source>
        <translation>nowhere</translation>
    </message>
    <message>
        <source>%1 %2 cents</source>
        <translation>%1 %2 cents</translation>
    </message>
    <message>
        <source>root %1 from %2</source>
        <translation>root %1 from %2</translation>
    </message>
    <message>
        <source>no root</source>
        <translation>no root</translation>
    </message>
    <message>
        <source>; no held pitch: %1</source>
        <translation>; no held pitch: %1</translation>
    </message>
    <message>
        <source>; sounds like %1? (unsure: %2)</source>
        <translation>; sounds like %1? (unsure: %2)</translation>
    </message>
    <message>
        <source>; sounds like %1</source>
        <translation>; sounds like %1</translation>
    </message>
    <message>
        <source>; plays as recorded (one key or a fixed pitch)</source>
        <translation>; plays as recorded (one key or a fixed pitch)</translation>
    </message>
    <message>
        <source>no sound file</source>
        <translation>no sound file</translation>
    </message>
    <message>
        <source>The notes in the file names lie %1 semitones below their sound (another naming of octaves): each is read that much higher.</source>
        <translation>The notes in the file names lie %1 semitones below their sound (another naming of octaves): each is read that much higher.</translation>
    </message>
    <message>
        <source>The notes in the file names lie %1 semitones above their sound (another naming of octaves): each is read that much lower.</source>
        <translation>The notes in the file names lie %1 semitones above their sound (another naming of octaves): each is read that much lower.</translation>
    </message>
    <message>
        <source>The sampler chunks of all %1 files say %2, and %3 of their sounds disagree: their roots come from the names and the sound instead.</source>
        <translation>The sampler chunks of all %1 files say %2, and %3 of their sounds disagree: their roots come from the names and the sound instead.</translation>
    </message>
    <message>
        <source>%1 said %2</source>
        <translation>%1 said %2</translation>
    </message>
    <message>
        <source>none was found</source>
        <translation>none was found</translation>
    </message>
    <message>
        <source>%1: root %2, the name&apos;s note moved %3 semitones to match its sound (%4); %5.</source>
        <translation>%1: root %2, the name&apos;s note moved %3 semitones to match its sound (%4); %5.</translation>
    </message>
    <message>
        <source>%1: sounds like %2, %3 semitones from its root %4 (%5); kept.</source>
        <translation>%1: sounds like %2, %3 semitones from its root %4 (%5); kept.</translation>
    </message>
    <message>
        <source>%1: root %2 from its sound (%3); %4.</source>
        <translation>%1: root %2 from its sound (%3); %4.</translation>
    </message>
    <message>
        <source>%1: root %2 from %3; %4.</source>
        <translation>%1: root %2 from %3; %4.</translation>
    </message>
    <message>
        <source>; a layer %1 cents from one in tune over its keys: a stop, no wrong root</source>
        <translation>; a layer %1 cents from one in tune over its keys: a stop, no wrong root</translation>
    </message>
    <message>
        <source>; its fundamental is faint: %1 is as likely</source>
        <translation>; its fundamental is faint: %1 is as likely</translation>
    </message>
</context>
<context>
    <name>PitchDetector</name>
    <message>
        <source>an unusable rate</source>
        <translation>an unusable rate</translation>
    </message>
    <message>
        <source>too short to hold a note</source>
        <translation>too short to hold a note</translation>
    </message>
    <message>
        <source>no periodic tone (noise, a drum or a breath)</source>
        <translation>no periodic tone (noise, a drum or a breath)</translation>
    </message>
    <message>
        <source>its pitch moves (a sweep, a voice or a drum)</source>
        <translation>its pitch moves (a sweep, a voice or a drum)</translation>
    </message>
    <message>
        <source>too noisy to name a pitch</source>
        <translation>too noisy to name a pitch</translation>
    </message>
    <message>
        <source>unreadable: %1</source>
        <translation>unreadable: %1</translation>
    </message>
    <message>
        <source>silent</source>
        <translation>silent</translation>
    </message>
    <message>
        <source>no held part: it dies away at once (a drum or a hit)</source>
        <translation>no held part: it dies away at once (a drum or a hit)</translation>
    </message>
</context>
<context>
    <name>Platform</name>
    <message>
        <source>The file %1 already exists.<byte value="xd"/>
Do you want to replace it ?</source>
        <translation>The file %1 already exists.<byte value="xd"/>
Do you want to replace it ?</translation>
    </message>
</context>
<context>
    <name>RootNote</name>
    <message>
        <source>sampler chunk</source>
        <translation>sampler chunk</translation>
    </message>
    <message>
        <source>file name</source>
        <translation>file name</translation>
    </message>
    <message>
        <source>none</source>
        <translation>none</translation>
    </message>
</context>
<context>
    <name>SfzImport</name>
    <message>
        <source>  %1, keys %2, velocity %3-%4 (%5)</source>
        <translation>  %1, keys %2, velocity %3-%4 (%5)</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a number for %2; it is read past</source>
        <translation>&quot;%1&quot; is not a number for %2; it is read past</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a number for %2</source>
        <translation>&quot;%1&quot; is not a number for %2</translation>
    </message>
    <message>
        <source>Regions without a sample, left out:</source>
        <translation>Regions without a sample, left out:</translation>
    </message>
    <message>
        <source>Regions playing a built-in generator (*sine, *noise, ...), left out:</source>
        <translation>Regions playing a built-in generator (*sine, *noise, ...), left out:</translation>
    </message>
    <message>
        <source>Regions played on release or other triggers, left out:</source>
        <translation>Regions played on release or other triggers, left out:</translation>
    </message>
    <message>
        <source>Round robins and random alternates: the first is kept, left out:</source>
        <translation>Round robins and random alternates: the first is kept, left out:</translation>
    </message>
    <message>
        <source>Regions no key plays, left out:</source>
        <translation>Regions no key plays, left out:</translation>
    </message>
    <message>
        <source>Regions with trigger=%1 play on every key down, as attack regions</source>
        <translation>Regions with trigger=%1 play on every key down, as attack regions</translation>
    </message>
    <message>
        <source>Only one velocity layer fits a key: of %1 layers, kept velocity %2, %3</source>
        <translation>Only one velocity layer fits a key: of %1 layers, kept velocity %2, %3</translation>
    </message>
    <message>
        <source>the one playing at velocity 100</source>
        <translation>the one playing at velocity 100</translation>
    </message>
    <message>
        <source>the loudest (none plays at velocity 100)</source>
        <translation>the loudest (none plays at velocity 100)</translation>
    </message>
    <message>
        <source>Other velocity layers, left out:</source>
        <translation>Other velocity layers, left out:</translation>
    </message>
    <message>
        <source>The sample file &quot;%1&quot; does not exist</source>
        <translation>The sample file &quot;%1&quot; does not exist</translation>
    </message>
    <message>
        <source>Key-switched articulations other than the one on %1 (%2), left out:</source>
        <translation>Key-switched articulations other than the one on %1 (%2), left out:</translation>
    </message>
    <message>
        <source>the lowest switch</source>
        <translation>the lowest switch</translation>
    </message>
    <message>
        <source>  %1: pitch_keycenter=sample, but the file names no unity note; KEY is %2</source>
        <translation>  %1: pitch_keycenter=sample, but the file names no unity note; KEY is %2</translation>
    </message>
    <message>
        <source>  %1: offset=%2 lies beyond its %3 frames; it plays from the start</source>
        <translation>  %1: offset=%2 lies beyond its %3 frames; it plays from the start</translation>
    </message>
    <message>
        <source>  %1: end=%2 lies beyond its %3 frames; it plays to its end</source>
        <translation>  %1: end=%2 lies beyond its %3 frames; it plays to its end</translation>
    </message>
    <message>
        <source>  %1: end=%2 comes before offset=%3; it plays to its end</source>
        <translation>  %1: end=%2 comes before offset=%3; it plays to its end</translation>
    </message>
    <message>
        <source>  %1: loop_mode=%2 is not known; its own loop is kept</source>
        <translation>  %1: loop_mode=%2 is not known; its own loop is kept</translation>
    </message>
    <message>
        <source>  %1: loop_end=%2 lies beyond the frames played; the loop ends at %3</source>
        <translation>  %1: loop_end=%2 lies beyond the frames played; the loop ends at %3</translation>
    </message>
    <message>
        <source>  %1: loop_start=%2 lies before offset=%3; the loop starts there</source>
        <translation>  %1: loop_start=%2 lies before offset=%3; the loop starts there</translation>
    </message>
    <message>
        <source>  %1: the loop %2-%3 holds no frame played; it plays without a loop</source>
        <translation>  %1: the loop %2-%3 holds no frame played; it plays without a loop</translation>
    </message>
    <message>
        <source>  %1 now plays keys %2, in place of %3 (keys %4)</source>
        <translation>  %1 now plays keys %2, in place of %3 (keys %4)</translation>
    </message>
    <message>
        <source>Beyond 64 samples, left out:</source>
        <translation>Beyond 64 samples, left out:</translation>
    </message>
    <message>
        <source>  %1: a tuning of %2 cents does not fit; KEY is kept at %3, untuned</source>
        <translation>  %1: a tuning of %2 cents does not fit; KEY is kept at %3, untuned</translation>
    </message>
    <message>
        <source>  %1: pitch_keytrack=%2 is not expressed; PITCH stays STANDARD</source>
        <translation>  %1: pitch_keytrack=%2 is not expressed; PITCH stays STANDARD</translation>
    </message>
    <message>
        <source>  %1: a volume of %2 dB is above full; VOLUME is 127</source>
        <translation>  %1: a volume of %2 dB is above full; VOLUME is 127</translation>
    </message>
    <message>
        <source>%1 regions read, %2 samples made</source>
        <translation>%1 regions read, %2 samples made</translation>
    </message>
    <message>
        <source>Opcodes the keyboard cannot express, left out:</source>
        <translation>Opcodes the keyboard cannot express, left out:</translation>
    </message>
    <message>
        <source>  %1 (first at %2)</source>
        <translation>  %1 (first at %2)</translation>
    </message>
    <message>
        <source>More than 64 regions: neighbouring zones merged:</source>
        <translation>More than 64 regions: neighbouring zones merged:</translation>
    </message>
    <message>
        <source>Approximated:</source>
        <translation>Approximated:</translation>
    </message>
    <message>
        <source>Left and right regions playing together, now one stereo sample each:</source>
        <translation>Left and right regions playing together, now one stereo sample each:</translation>
    </message>
    <message>
        <source>%1 is not a mono or stereo file that can be read</source>
        <translation>%1 is not a mono or stereo file that can be read</translation>
    </message>
    <message>
        <source>a layer cannot be brought to the pitch of the first</source>
        <translation>a layer cannot be brought to the pitch of the first</translation>
    </message>
    <message>
        <source>  %1: loop %2-%3 found on the mix</source>
        <translation>  %1: loop %2-%3 found on the mix</translation>
    </message>
    <message>
        <source>  %1: no loop found on the mix; %2</source>
        <translation>  %1: no loop found on the mix; %2</translation>
    </message>
    <message>
        <source>the first layer&apos;s loop is kept</source>
        <translation>the first layer&apos;s loop is kept</translation>
    </message>
    <message>
        <source>it plays without a loop</source>
        <translation>it plays without a loop</translation>
    </message>
    <message>
        <source>Layers sounding together on a key, mixed into one sample (each at its level, pan and tuning):</source>
        <translation>Layers sounding together on a key, mixed into one sample (each at its level, pan and tuning):</translation>
    </message>
    <message>
        <source>More than %1 layers on a key: the first %1 mixed, the others (counted) left out:</source>
        <translation>More than %1 layers on a key: the first %1 mixed, the others (counted) left out:</translation>
    </message>
    <message>
        <source>Loops sought again on the mixed sound:</source>
        <translation>Loops sought again on the mixed sound:</translation>
    </message>
    <message>
        <source>Warning: layers that could not be mixed, kept as overlapping samples: the keyboard sounds only the first:</source>
        <translation>Warning: layers that could not be mixed, kept as overlapping samples: the keyboard sounds only the first:</translation>
    </message>
    <message>
        <source>Warning: layers sounding together on a key, kept as overlapping samples (--layers first): the keyboard sounds only the first:</source>
        <translation>Warning: layers sounding together on a key, kept as overlapping samples (--layers first): the keyboard sounds only the first:</translation>
    </message>
    <message>
        <source>  %1: right side resampled from %2 Hz to %3 Hz to pair it with the left</source>
        <translation>  %1: right side resampled from %2 Hz to %3 Hz to pair it with the left</translation>
    </message>
</context>
<context>
    <name>SfzParser</name>
    <message>
        <source>The comment started here is never closed with */</source>
        <translation>The comment started here is never closed with */</translation>
    </message>
    <message>
        <source>The line grows beyond %1 characters once its $names are replaced</source>
        <translation>The line grows beyond %1 characters once its $names are replaced</translation>
    </message>
    <message>
        <source>The $names expand to more than %1 MB of text in all</source>
        <translation>The $names expand to more than %1 MB of text in all</translation>
    </message>
    <message>
        <source>The line is longer than %1 characters</source>
        <translation>The line is longer than %1 characters</translation>
    </message>
    <message>
        <source>The header is not closed with &gt;</source>
        <translation>The header is not closed with &gt;</translation>
    </message>
    <message>
        <source>Expected an opcode (name=value) but found &quot;%1&quot;</source>
        <translation>Expected an opcode (name=value) but found &quot;%1&quot;</translation>
    </message>
    <message>
        <source>The opcode %1 has no value; it is read past</source>
        <translation>The opcode %1 has no value; it is read past</translation>
    </message>
    <message>
        <source>Expected #define $NAME value</source>
        <translation>Expected #define $NAME value</translation>
    </message>
    <message>
        <source>The included file &quot;%1&quot; does not exist</source>
        <translation>The included file &quot;%1&quot; does not exist</translation>
    </message>
    <message>
        <source>The included file &quot;%1&quot; cannot be read</source>
        <translation>The included file &quot;%1&quot; cannot be read</translation>
    </message>
    <message>
        <source>More than %1 regions</source>
        <translation>More than %1 regions</translation>
    </message>
    <message>
        <source>The regions hold more than %1 opcodes in all</source>
        <translation>The regions hold more than %1 opcodes in all</translation>
    </message>
    <message>
        <source>&lt;%1&gt; header read past (first at %2)</source>
        <translation>&lt;%1&gt; header read past (first at %2)</translation>
    </message>
    <message>
        <source>The opcode %1 comes before any header</source>
        <translation>The opcode %1 comes before any header</translation>
    </message>
    <message>
        <source>%1 needs a whole number, not &quot;%2&quot;</source>
        <translation>%1 needs a whole number, not &quot;%2&quot;</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a note for %2</source>
        <translation>&quot;%1&quot; is not a note for %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a note for %2; it is read past</source>
        <translation>&quot;%1&quot; is not a note for %2; it is read past</translation>
    </message>
    <message>
        <source>%1, line %2</source>
        <translation>%1, line %2</translation>
    </message>
    <message>
        <source>The file cannot be read</source>
        <translation>The file cannot be read</translation>
    </message>
</context>
<context>
    <name>SoundFontExport</name>
    <message>
        <source>cannot make a temporary folder: %1</source>
        <translation>cannot make a temporary folder: %1</translation>
    </message>
    <message>
        <source>preset %1 has no zone with a sample</source>
        <translation>preset %1 has no zone with a sample</translation>
    </message>
    <message>
        <source>Velocity layer %1 (%2):</source>
        <translation>Velocity layer %1 (%2):</translation>
    </message>
    <message>
        <source>zones playing samples of a sound chip&apos;s memory</source>
        <translation>zones playing samples of a sound chip&apos;s memory</translation>
    </message>
    <message>
        <source>%1: its offsets give frames %2..%3, outside its %4 frames</source>
        <translation>%1: its offsets give frames %2..%3, outside its %4 frames</translation>
    </message>
    <message>
        <source>%1: its loop %2..%3 lies outside the sample (%4..%5)</source>
        <translation>%1: its loop %2..%3 lies outside the sample (%4..%5)</translation>
    </message>
    <message>
        <source>modulators</source>
        <translation>modulators</translation>
    </message>
    <message>
        <source>the pan of mono zones</source>
        <translation>the pan of mono zones</translation>
    </message>
    <message>
        <source>  %1: a loop of %2 frames at %3 Hz is %4 frames at 44.1 kHz; tuned %5 cents</source>
        <translation>  %1: a loop of %2 frames at %3 Hz is %4 frames at 44.1 kHz; tuned %5 cents</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>cannot write %1: %2</translation>
    </message>
    <message>
        <source>velocity %1-%2</source>
        <translation>velocity %1-%2</translation>
    </message>
    <message>
        <source>Preset %1: %2 zones</source>
        <translation>Preset %1: %2 zones</translation>
    </message>
    <message>
        <source>%1 left and right zone pairs written as stereo files</source>
        <translation>%1 left and right zone pairs written as stereo files</translation>
    </message>
    <message>
        <source>SoundFont features the keyboard cannot express, left out:</source>
        <translation>SoundFont features the keyboard cannot express, left out:</translation>
    </message>
    <message>
        <source>Short loops kept in tune at 44.1 kHz by FINE:</source>
        <translation>Short loops kept in tune at 44.1 kHz by FINE:</translation>
    </message>
    <message>
        <source>preset %1 has more zones than the keyboard can hold (%2 at most)</source>
        <translation>preset %1 has more zones than the keyboard can hold (%2 at most)</translation>
    </message>
    <message>
        <source>preset %1 plays its samples in more cuts than the keyboard can hold</source>
        <translation>preset %1 plays its samples in more cuts than the keyboard can hold</translation>
    </message>
    <message>
        <source>LFOs (vibrato, tremolo)</source>
        <translation>LFOs (vibrato, tremolo)</translation>
    </message>
    <message>
        <source>filters</source>
        <translation>filters</translation>
    </message>
    <message>
        <source>the modulation envelope</source>
        <translation>the modulation envelope</translation>
    </message>
    <message>
        <source>exclusive classes</source>
        <translation>exclusive classes</translation>
    </message>
    <message>
        <source>chorus and reverb sends</source>
        <translation>chorus and reverb sends</translation>
    </message>
    <message>
        <source>volume envelope delay and hold</source>
        <translation>volume envelope delay and hold</translation>
    </message>
    <message>
        <source>fixed keys and velocities</source>
        <translation>fixed keys and velocities</translation>
    </message>
    <message>
        <source>%1: instrument %2, zone %3</source>
        <translation>%1: instrument %2, zone %3</translation>
    </message>
    <message>
        <source>preset %1: a layer cannot be brought to the pitch of %2</source>
        <translation>preset %1: a layer cannot be brought to the pitch of %2</translation>
    </message>
    <message>
        <source>  %1: no loop found on the mix; %2</source>
        <translation>  %1: no loop found on the mix; %2</translation>
    </message>
    <message>
        <source>the first layer&apos;s loop is kept</source>
        <translation>the first layer&apos;s loop is kept</translation>
    </message>
    <message>
        <source>it plays without a loop</source>
        <translation>it plays without a loop</translation>
    </message>
    <message>
        <source>loop %1-%2 found on the mix</source>
        <translation>loop %1-%2 found on the mix</translation>
    </message>
    <message>
        <source>  %1: the mix of its layers is %2 dB quieter than the font plays it</source>
        <translation>  %1: the mix of its layers is %2 dB quieter than the font plays it</translation>
    </message>
    <message>
        <source>  %1: no loop fits both sides; the loop of one side is kept</source>
        <translation>  %1: no loop fits both sides; the loop of one side is kept</translation>
    </message>
    <message>
        <source>loop %1-%2 found on both sides</source>
        <translation>loop %1-%2 found on both sides</translation>
    </message>
    <message>
        <source>%1 stereo files of sides of unequal lengths: the shorter side ends in silence or its own loop</source>
        <translation>%1 stereo files of sides of unequal lengths: the shorter side ends in silence or its own loop</translation>
    </message>
    <message>
        <source>Layers sounding together on a key, mixed into one sample (each at its level, pan and tuning):</source>
        <translation>Layers sounding together on a key, mixed into one sample (each at its level, pan and tuning):</translation>
    </message>
    <message>
        <source>Warning: layers sounding together on a key, kept as overlapping samples (--layers first): the keyboard sounds only the first:</source>
        <translation>Warning: layers sounding together on a key, kept as overlapping samples (--layers first): the keyboard sounds only the first:</translation>
    </message>
    <message>
        <source>Loops sought again on the sound written:</source>
        <translation>Loops sought again on the sound written:</translation>
    </message>
    <message>
        <source>More than %1 layers on a key: the first %1 mixed, the others (counted) left out:</source>
        <translation>More than %1 layers on a key: the first %1 mixed, the others (counted) left out:</translation>
    </message>
    <message>
        <source>  %1: right side resampled from %2 Hz to %3 Hz to pair it with the left</source>
        <translation>  %1: right side resampled from %2 Hz to %3 Hz to pair it with the left</translation>
    </message>
</context>
<context>
    <name>VoiceSet</name>
    <message>
        <source>%1: no sound file</source>
        <translation>%1: no sound file</translation>
    </message>
    <message>
        <source>%1 channels: only mono and stereo play</source>
        <translation>%1 channels: only mono and stereo play</translation>
    </message>
</context>
<context>
    <name>tamo::app::Launcher</name>
    <message>
        <source>Menu</source>
        <translation>Menu</translation>
    </message>
    <message>
        <source>Version 1.04</source>
        <translation>Version 1.04</translation>
    </message>
    <message>
        <source>Sampler MSP Editor</source>
        <translation>Sampler MSP Editor</translation>
    </message>
    <message>
        <source>DrumKits USD Editor</source>
        <translation>DrumKits USD Editor</translation>
    </message>
    <message>
        <source>UserVoices USV Editor</source>
        <translation>UserVoices USV Editor</translation>
    </message>
</context>
<context>
    <name>tamo::bank::TransferWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>The file was modified.<byte value="xd"/>
<byte value="xd"/>
Do you want to save the modifications ?</source>
        <translation>The file was modified.<byte value="xd"/>
<byte value="xd"/>
Do you want to save the modifications ?</translation>
    </message>
</context>
<context>
    <name>tamo::msp_editor::KeyMapWindow</name>
    <message>
        <source>Key Map</source>
        <translation>Key Map</translation>
    </message>
    <message>
        <source>Click a key to hear the sample it plays.</source>
        <translation>Click a key to hear the sample it plays.</translation>
    </message>
    <message>
        <source>%1: </source>
        <translation>%1: </translation>
    </message>
    <message>
        <source>no sample plays this key</source>
        <translation>no sample plays this key</translation>
    </message>
    <message>
        <source>sample %1 %2</source>
        <translation>sample %1 %2</translation>
    </message>
    <message>
        <source> (%1)</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>Key Map (no audio output: the keys cannot be heard)</source>
        <translation>Key Map (no audio output: the keys cannot be heard)</translation>
    </message>
    <message>
        <source>No audio output was found: the keys cannot be heard.</source>
        <translation>No audio output was found: the keys cannot be heard.</translation>
    </message>
</context>
<context>
    <name>tamo::msp_editor::KeyboardTools</name>
    <message>
        <source>&amp;Keyboard</source>
        <translation>&amp;Keyboard</translation>
    </message>
    <message>
        <source>&amp;Map keys</source>
        <translation>&amp;Map keys</translation>
    </message>
    <message>
        <source>&amp;Key map...</source>
        <translation>&amp;Key map...</translation>
    </message>
    <message>
        <source>&amp;Rename sample...</source>
        <translation>&amp;Rename sample...</translation>
    </message>
    <message>
        <source>&amp;Find loop</source>
        <translation>&amp;Find loop</translation>
    </message>
    <message>
        <source>&amp;Import SFZ...</source>
        <translation>&amp;Import SFZ...</translation>
    </message>
    <message>
        <source>Import &amp;SoundFont...</source>
        <translation>Import &amp;SoundFont...</translation>
    </message>
    <message>
        <source>&amp;Export for the keyboard...</source>
        <translation>&amp;Export for the keyboard...</translation>
    </message>
    <message>
        <source>missing</source>
        <translation>missing</translation>
    </message>
    <message>
        <source>Map keys</source>
        <translation>Map keys</translation>
    </message>
    <message>
        <source>Root %1, from the %2</source>
        <translation>Root %1, from the %2</translation>
    </message>
    <message>
        <source>No root key found</source>
        <translation>No root key found</translation>
    </message>
    <message>
        <source>The name&apos;s %1 is overruled by the sampler chunk</source>
        <translation>The name&apos;s %1 is overruled by the sampler chunk</translation>
    </message>
    <message>
        <source>A name made up for %1</source>
        <translation>A name made up for %1</translation>
    </message>
    <message>
        <source>Not in the keyboard&apos;s format: %1. Export for the keyboard converts it.</source>
        <translation>Not in the keyboard&apos;s format: %1. Export for the keyboard converts it.</translation>
    </message>
    <message>
        <source>Select a sample first.</source>
        <translation>Select a sample first.</translation>
    </message>
    <message>
        <source>Rename sample</source>
        <translation>Rename sample</translation>
    </message>
    <message>
        <source>New name (up to 8 characters):</source>
        <translation>New name (up to 8 characters):</translation>
    </message>
    <message>
        <source>A sample name has 1 to 8 letters, digits or ! # $ % &amp; &apos; ( ) - @ ^ _ ` { } ~ .</source>
        <translation>A sample name has 1 to 8 letters, digits or ! # $ % &amp; &apos; ( ) - @ ^ _ ` { } ~ .</translation>
    </message>
    <message>
        <source>Another sample is already named %1.</source>
        <translation>Another sample is already named %1.</translation>
    </message>
    <message>
        <source>Rename samples</source>
        <translation>Rename samples</translation>
    </message>
    <message>
        <source>Common start of the %1 names (each ends with its KEY):</source>
        <translation>Common start of the %1 names (each ends with its KEY):</translation>
    </message>
    <message>
        <source>Export for the keyboard</source>
        <translation>Export for the keyboard</translation>
    </message>
    <message>
        <source>Prepare the exported copies (your sound files stay as they are):</source>
        <translation>Prepare the exported copies (your sound files stay as they are):</translation>
    </message>
    <message>
        <source>Find loops for held notes that have none</source>
        <translation>Find loops for held notes that have none</translation>
    </message>
    <message>
        <source>Normalize: one gain, the loudest sample at -1 dBFS</source>
        <translation>Normalize: one gain, the loudest sample at -1 dBFS</translation>
    </message>
    <message>
        <source>Trim silence below -60 dBFS at the start and end</source>
        <translation>Trim silence below -60 dBFS at the start and end</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Writing %1</source>
        <translation>Writing %1</translation>
    </message>
    <message>
        <source>The instrument is %1.</source>
        <translation>The instrument is %1.</translation>
    </message>
    <message>
        <source>Replaced: %1</source>
        <translation>Replaced: %1</translation>
    </message>
    <message>
        <source>Name of the instrument (up to 8 characters):</source>
        <translation>Name of the instrument (up to 8 characters):</translation>
    </message>
    <message>
        <source>%1 already exists in %2. Replace that instrument?</source>
        <translation>%1 already exists in %2. Replace that instrument?</translation>
    </message>
    <message>
        <source>%1 imported.<byte value="xd"/>
<byte value="xd"/>
%2</source>
        <translation>%1 imported.<byte value="xd"/>
<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>Import SFZ</source>
        <translation>Import SFZ</translation>
    </message>
    <message>
        <source>SFZ Files (*.SFZ)|*.SFZ</source>
        <translation>SFZ Files (*.SFZ)|*.SFZ</translation>
    </message>
    <message>
        <source>Import SoundFont</source>
        <translation>Import SoundFont</translation>
    </message>
    <message>
        <source>SoundFont Files (*.SF2;*.SF3)|*.SF2;*.SF3</source>
        <translation>SoundFont Files (*.SF2;*.SF3)|*.SF2;*.SF3</translation>
    </message>
    <message>
        <source>%1 holds no preset.</source>
        <translation>%1 holds no preset.</translation>
    </message>
    <message>
        <source>Import SoundFont: %1</source>
        <translation>Import SoundFont: %1</translation>
    </message>
    <message>
        <source>&amp;Play...</source>
        <translation>&amp;Play...</translation>
    </message>
    <message>
        <source>MIDI &amp;input</source>
        <translation>MIDI &amp;input</translation>
    </message>
    <message>
        <source>The MIDI input %1 could not be opened.</source>
        <translation>The MIDI input %1 could not be opened.</translation>
    </message>
    <message>
        <source>None</source>
        <translation>None</translation>
    </message>
    <message>
        <source>No MIDI input found</source>
        <translation>No MIDI input found</translation>
    </message>
    <message>
        <source>A name has 1 to 8 letters, digits or ! # $ % &amp; &apos; ( ) - @ ^ _ ` { } ~ (no space).</source>
        <translation>A name has 1 to 8 letters, digits or ! # $ % &amp; &apos; ( ) - @ ^ _ ` { } ~ (no space).</translation>
    </message>
    <message>
        <source>Preparing the copies...</source>
        <translation>Preparing the copies...</translation>
    </message>
    <message>
        <source>Cancelling...</source>
        <translation>Cancelling...</translation>
    </message>
    <message>
        <source>Preparing %1</source>
        <translation>Preparing %1</translation>
    </message>
    <message>
        <source>The set holds no sample: the keyboard would get an instrument that plays nothing.<byte value="xd"/>
<byte value="xd"/>
Export it anyway?</source>
        <translation>The set holds no sample: the keyboard would get an instrument that plays nothing.<byte value="xd"/>
<byte value="xd"/>
Export it anyway?</translation>
    </message>
    <message>
        <source>Cancelled: nothing was written.</source>
        <translation>Cancelled: nothing was written.</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) written to %1 (%2 WAV copied, %3 converted).</source>
        <translation>
            <numerusform>%n file written to %1 (%2 WAV copied, %3 converted).</numerusform>
            <numerusform>%n files written to %1 (%2 WAV copied, %3 converted).</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n older file(s) replaced.</source>
        <translation>
            <numerusform>%n older file replaced.</numerusform>
            <numerusform>%n older files replaced.</numerusform>
        </translation>
    </message>
    <message>
        <source>See the details for each file.</source>
        <translation>See the details for each file.</translation>
    </message>
    <message>
        <source>Check &amp;pitch...</source>
        <translation>Check &amp;pitch...</translation>
    </message>
    <message>
        <source>♪ %1</source>
        <translation>♪ %1</translation>
    </message>
</context>
<context>
    <name>tamo::msp_editor::LivePlay</name>
    <message>
        <source>No audio output was found: nothing can be heard.</source>
        <translation>No audio output was found: nothing can be heard.</translation>
    </message>
    <message>
        <source>The audio output %1 cannot play 44.1 kHz stereo: nothing can be heard.</source>
        <translation>The audio output %1 cannot play 44.1 kHz stereo: nothing can be heard.</translation>
    </message>
    <message>
        <source>The audio output %1 could not be opened: nothing can be heard.</source>
        <translation>The audio output %1 could not be opened: nothing can be heard.</translation>
    </message>
    <message>
        <source>Playing through %1. Keys Z to M and Q to U play, - and + change the octave.</source>
        <translation>Playing through %1. Keys Z to M and Q to U play, - and + change the octave.</translation>
    </message>
</context>
<context>
    <name>tamo::msp_editor::MspEditorWindow</name>
    <message>
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>Ketron MultiSamPle Files (*.MSP)|*.MSP</source>
        <translation>Ketron MultiSamPle Files (*.MSP)|*.MSP</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>Add &amp;Wav Sample...</source>
        <translation>Add &amp;Wav Sample...</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>&amp;?</source>
        <translation>&amp;?</translation>
    </message>
    <message>
        <source>A&amp;bout</source>
        <translation>A&amp;bout</translation>
    </message>
    <message>
        <source>Add Wav Sample</source>
        <translation>Add Wav Sample</translation>
    </message>
    <message>
        <source>Remove Selected Sample</source>
        <translation>Remove Selected Sample</translation>
    </message>
    <message>
        <source>This is not a valid Ketron MSP file !</source>
        <translation>This is not a valid Ketron MSP file !</translation>
    </message>
    <message>
        <source>The file %1 is not a multisample (MSP) file.<byte value="xd"/>
<byte value="xd"/>
Do you want to write the multisample over it ?</source>
        <translation>The file %1 is not a multisample (MSP) file.<byte value="xd"/>
<byte value="xd"/>
Do you want to write the multisample over it ?</translation>
    </message>
    <message>
        <source>The file %1 could not be saved:<byte value="xd"/>
%2</source>
        <translation>The file %1 could not be saved:<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>MultiSamPles (MSP) Files Editor for Ketron SD1<byte value="xd"/>
<byte value="xd"/>
V1.04    Uncompleted Version !!!<byte value="xd"/>
<byte value="xd"/>
TAMO is free software under the GNU General Public License, version 3 or later (GPL-3.0-or-later). It comes with no warranty.</source>
        <translation>MultiSamPles (MSP) Files Editor for Ketron SD1<byte value="xd"/>
<byte value="xd"/>
V1.04    Uncompleted Version !!!<byte value="xd"/>
<byte value="xd"/>
TAMO is free software under the GNU General Public License, version 3 or later (GPL-3.0-or-later). It comes with no warranty.</translation>
    </message>
    <message>
        <source>The file was modified.<byte value="xd"/>
<byte value="xd"/>
Do you want to save the modifications ?</source>
        <translation>The file was modified.<byte value="xd"/>
<byte value="xd"/>
Do you want to save the modifications ?</translation>
    </message>
    <message>
        <source>MSP Editor</source>
        <translation>MSP Editor</translation>
    </message>
    <message>
        <source>Selectionner un ou plusieurs fichier(s) WAV</source>
        <translation>Select one or more WAV files</translation>
    </message>
    <message>
        <source>Wav Files (*.WAV)|*.WAV|Sound Files (*.WAV;*.FLAC;*.AIF;*.AIFF;*.OGG)|*.WAV;*.FLAC;*.AIF;*.AIFF;*.OGG</source>
        <translation>Wav Files (*.WAV)|*.WAV|Sound Files (*.WAV;*.FLAC;*.AIF;*.AIFF;*.OGG)|*.WAV;*.FLAC;*.AIF;*.AIFF;*.OGG</translation>
    </message>
    <message>
        <source>The files &quot;%1&quot; and &quot;%2&quot; have the same short name %3 in their folder, so the sample cannot find its file.<byte value="xd"/>
Rename one of them !</source>
        <translation>The files &quot;%1&quot; and &quot;%2&quot; have the same short name %3 in their folder, so the sample cannot find its file.<byte value="xd"/>
Rename one of them !</translation>
    </message>
    <message>
        <source>You can use only 64 Wav files in a Msp!</source>
        <translation>You can use only 64 Wav files in a Msp!</translation>
    </message>
    <message>
        <source>Put back: %1</source>
        <translation>Put back: %1</translation>
    </message>
    <message>
        <source>%1 wrote %2</source>
        <translation>%1 wrote %2</translation>
    </message>
    <message>
        <source>[*]   MSP Editor for KETRON SD1</source>
        <translation>[*]   MSP Editor for KETRON SD1</translation>
    </message>
    <message>
        <source>%1[*] — MSP Editor for KETRON SD1</source>
        <translation>%1[*] — MSP Editor for KETRON SD1</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Not added, no sound can be read from them:<byte value="xd"/>
%1</source>
        <translation>Not added, no sound can be read from them:<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>%1: the set keeps the loop of %2 (not in the keyboard&apos;s format, the file stays as it is)</source>
        <translation>%1: the set keeps the loop of %2 (not in the keyboard&apos;s format, the file stays as it is)</translation>
    </message>
    <message>
        <source>No sample of the set plays &quot;%1&quot;, so the set cannot keep its loop. Nothing was changed.</source>
        <translation>No sample of the set plays &quot;%1&quot;, so the set cannot keep its loop. Nothing was changed.</translation>
    </message>
</context>
<context>
    <name>tamo::msp_editor::MspForm</name>
    <message>
        <source>0 SAMPLES</source>
        <translation>0 SAMPLES</translation>
    </message>
    <message>
        <source>Samples</source>
        <translation>Samples</translation>
    </message>
    <message>
        <source>Add Wav Sample</source>
        <translation>Add Wav Sample</translation>
    </message>
    <message>
        <source>Remove Selected Sample</source>
        <translation>Remove Selected Sample</translation>
    </message>
    <message>
        <source>Auto Play</source>
        <translation>Auto Play</translation>
    </message>
    <message>
        <source>Global MSP settings</source>
        <translation>Global MSP settings</translation>
    </message>
    <message>
        <source>Sample settings</source>
        <translation>Sample settings</translation>
    </message>
    <message>
        <source>EFFECTS</source>
        <translation>EFFECTS</translation>
    </message>
    <message>
        <source>%1 SAMPLES</source>
        <translation>%1 SAMPLES</translation>
    </message>
</context>
<context>
    <name>tamo::msp_editor::ParameterEditor</name>
    <message>
        <source>PITCH</source>
        <translation>PITCH</translation>
    </message>
    <message>
        <source>ROTOR</source>
        <translation>ROTOR</translation>
    </message>
    <message>
        <source>OCTAVE</source>
        <translation>OCTAVE</translation>
    </message>
    <message>
        <source>EFFECTS</source>
        <translation>EFFECTS</translation>
    </message>
</context>
<context>
    <name>tamo::msp_editor::PitchTools</name>
    <message>
        <source>being measured</source>
        <translation>being measured</translation>
    </message>
    <message>
        <source>Out of tune: %1 (KEY %2, FINE %3 would tune it)</source>
        <translation>Out of tune: %1 (KEY %2, FINE %3 would tune it)</translation>
    </message>
    <message>
        <source>%1 (%2): %3; KEY %4, FINE %5</source>
        <translation>%1 (%2): %3; KEY %4, FINE %5</translation>
    </message>
    <message>
        <source>Every sample with a held pitch plays within 50 cents of its root.</source>
        <translation>Every sample with a held pitch plays within 50 cents of its root.</translation>
    </message>
    <message>
        <source>Check pitch</source>
        <translation>Check pitch</translation>
    </message>
    <message>
        <source>These samples sound 50 cents or more from their root. KEY and FINE from the sound for those ticked:</source>
        <translation>These samples sound 50 cents or more from their root. KEY and FINE from the sound for those ticked:</translation>
    </message>
</context>
<context>
    <name>tamo::msp_editor::PresetChooser</name>
    <message>
        <source>Filter</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Bank</source>
        <translation>Bank</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Zones</source>
        <translation>Zones</translation>
    </message>
</context>
<context>
    <name>tamo::msp_editor::ValueSlider</name>
    <message>
        <source>Slider</source>
        <translation>Slider</translation>
    </message>
</context>
<context>
    <name>tamo::msp_editor::WavPanel</name>
    <message>
        <source>Taille du fichier - 8</source>
        <translation>File size - 8</translation>
    </message>
    <message>
        <source>WAVE</source>
        <translation>WAVE</translation>
    </message>
    <message>
        <source>fmt </source>
        <translation>fmt </translation>
    </message>
    <message>
        <source>Pcm=16</source>
        <translation>Pcm=16</translation>
    </message>
    <message>
        <source>1=non compressé</source>
        <translation>1=uncompressed</translation>
    </message>
    <message>
        <source>1=mono/2=stéréo</source>
        <translation>1=mono/2=stereo</translation>
    </message>
    <message>
        <source>Freq.</source>
        <translation>Freq.</translation>
    </message>
    <message>
        <source>Tx Transfert=F*NbrChan*Bit/8</source>
        <translation>Byte rate=F*Channels*Bits/8</translation>
    </message>
    <message>
        <source>Oct/sample=NbrChan*Bit/8</source>
        <translation>Bytes/sample=Channels*Bits/8</translation>
    </message>
    <message>
        <source>Bits</source>
        <translation>Bits</translation>
    </message>
    <message>
        <source>data</source>
        <translation>data</translation>
    </message>
    <message>
        <source>Taille données</source>
        <translation>Data size</translation>
    </message>
    <message>
        <source>Données Après DATA</source>
        <translation>Bytes after DATA</translation>
    </message>
    <message>
        <source>Wavfile settings</source>
        <translation>Wavfile settings</translation>
    </message>
    <message>
        <source>Don&apos;t see this for now !! :)</source>
        <translation>Don&apos;t see this for now !! :)</translation>
    </message>
    <message>
        <source>Données Avant DATA</source>
        <translation>Bytes before DATA</translation>
    </message>
    <message>
        <source>Taille du Fichier</source>
        <translation>File size</translation>
    </message>
    <message>
        <source>Ecrire les infos</source>
        <translation>Write info</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>Lire les infos</source>
        <translation>Read info</translation>
    </message>
    <message>
        <source>dessiner</source>
        <translation>draw</translation>
    </message>
    <message>
        <source>CleanUp</source>
        <translation>CleanUp</translation>
    </message>
    <message>
        <source>Command8</source>
        <translation>Command8</translation>
    </message>
    <message>
        <source>Ecrire une entete</source>
        <translation>Write a header</translation>
    </message>
    <message>
        <source>creer bruit</source>
        <translation>make noise</translation>
    </message>
    <message>
        <source>Only the first %1 of %2 bytes are shown</source>
        <translation>Only the first %1 of %2 bytes are shown</translation>
    </message>
    <message>
        <source>&quot;%1&quot; (Text%2)</source>
        <translation>&quot;%1&quot; (Text%2)</translation>
    </message>
    <message>
        <source>%1 must be a whole number from %2 to %3. Nothing was written.</source>
        <translation>%1 must be a whole number from %2 to %3. Nothing was written.</translation>
    </message>
    <message>
        <source>%1 would place the bytes after the data before the start of the file. Nothing was written.</source>
        <translation>%1 would place the bytes after the data before the start of the file. Nothing was written.</translation>
    </message>
    <message>
        <source>The header could not be written to &quot;%1&quot;: %2. The file was left as it was.</source>
        <translation>The header could not be written to &quot;%1&quot;: %2. The file was left as it was.</translation>
    </message>
    <message>
        <source>The header could not be written to &quot;%1&quot;: %2. Its old bytes could not all be put back: the panel now shows the file as it is.</source>
        <translation>The header could not be written to &quot;%1&quot;: %2. Its old bytes could not all be put back: the panel now shows the file as it is.</translation>
    </message>
    <message>
        <source>The panel does not show &quot;%1&quot;. Nothing was written: select its sample again first.</source>
        <translation>The panel does not show &quot;%1&quot;. Nothing was written: select its sample again first.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has changed since the panel read it (its size or modification time differ). Nothing was written: select its sample again to see it as it is now.</source>
        <translation>&quot;%1&quot; has changed since the panel read it (its size or modification time differ). Nothing was written: select its sample again to see it as it is now.</translation>
    </message>
    <message>
        <source>Bad file size</source>
        <translation>Bad file size</translation>
    </message>
    <message>
        <source>Data not found</source>
        <translation>Data not found</translation>
    </message>
    <message>
        <source>Wrong Data Size</source>
        <translation>Wrong Data Size</translation>
    </message>
    <message>
        <source>CleanUp cannot make a file other programs can read of &quot;%1&quot;: %2. The file was left as it was.</source>
        <translation>CleanUp cannot make a file other programs can read of &quot;%1&quot;: %2. The file was left as it was.</translation>
    </message>
    <message>
        <source>CleanUp could not rewrite &quot;%1&quot;: %2. The file was left as it was.</source>
        <translation>CleanUp could not rewrite &quot;%1&quot;: %2. The file was left as it was.</translation>
    </message>
    <message>
        <source>The noise file &quot;%1&quot; could not be written: %2</source>
        <translation>The noise file &quot;%1&quot; could not be written: %2</translation>
    </message>
    <message>
        <source>The header could not be written to &quot;%1&quot;: %2</source>
        <translation>The header could not be written to &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>Command8 could not copy &quot;%1&quot; to &quot;%2&quot;: %3</source>
        <translation>Command8 could not copy &quot;%1&quot; to &quot;%2&quot;: %3</translation>
    </message>
    <message>
        <source>No audio output was found: nothing can be played.</source>
        <translation>No audio output was found: nothing can be played.</translation>
    </message>
    <message>
        <source>Loop start</source>
        <translation>Loop start</translation>
    </message>
    <message>
        <source>The first frame of the loop</source>
        <translation>The first frame of the loop</translation>
    </message>
    <message>
        <source>Loop end</source>
        <translation>Loop end</translation>
    </message>
    <message>
        <source>The first frame after the loop: it plays on from the loop start</source>
        <translation>The first frame after the loop: it plays on from the loop start</translation>
    </message>
    <message>
        <source>Set loop</source>
        <translation>Set loop</translation>
    </message>
    <message>
        <source>Snap to zero crossing</source>
        <translation>Snap to zero crossing</translation>
    </message>
    <message>
        <source>Remove loop</source>
        <translation>Remove loop</translation>
    </message>
    <message numerus="yes">
        <source>A loop needs a start and an end in whole frames, the start from 0 and before the end, the end at most the file&apos;s %n frame(s). Nothing was written.</source>
        <translation>
            <numerusform>A loop needs a start and an end in whole frames, the start from 0 and before the end, the end at most the file&apos;s %n frame. Nothing was written.</numerusform>
            <numerusform>A loop needs a start and an end in whole frames, the start from 0 and before the end, the end at most the file&apos;s %n frames. Nothing was written.</numerusform>
        </translation>
    </message>
    <message>
        <source>No rising zero crossing lies near both ends of the loop. Nothing was written.</source>
        <translation>No rising zero crossing lies near both ends of the loop. Nothing was written.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has no loop.</source>
        <translation>&quot;%1&quot; has no loop.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not in the keyboard&apos;s format (%2), so its loop cannot be written into it. Nothing was written.</source>
        <translation>&quot;%1&quot; is not in the keyboard&apos;s format (%2), so its loop cannot be written into it. Nothing was written.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be written: %2. The file was left as it was.</source>
        <translation>&quot;%1&quot; could not be written: %2. The file was left as it was.</translation>
    </message>
    <message>
        <source>Writes the loop into the file&apos;s sampler chunk</source>
        <translation>Writes the loop into the file&apos;s sampler chunk</translation>
    </message>
    <message>
        <source>The file is not in the keyboard&apos;s format and stays as it is: the set keeps the loop, and the export loops its copy</source>
        <translation>The file is not in the keyboard&apos;s format and stays as it is: the set keeps the loop, and the export loops its copy</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a WAV file: only a WAV file&apos;s header can be written or cleaned up. Nothing was written.</source>
        <translation>&quot;%1&quot; is not a WAV file: only a WAV file&apos;s header can be written or cleaned up. Nothing was written.</translation>
    </message>
</context>
<context>
    <name>tamo::usd::DrumKitWindow</name>
    <message>
        <source>Ketron USerDrumkit Files (*.USD)|*.USD</source>
        <translation>Ketron USerDrumkit Files (*.USD)|*.USD</translation>
    </message>
    <message>
        <source>USD Editor for KETRON SD1</source>
        <translation>USD Editor for KETRON SD1</translation>
    </message>
    <message>
        <source>USD Editor</source>
        <translation>USD Editor</translation>
    </message>
    <message>
        <source>Recent in Kit &amp;1</source>
        <translation>Recent in Kit &amp;1</translation>
    </message>
    <message>
        <source>Recent in Kit &amp;2</source>
        <translation>Recent in Kit &amp;2</translation>
    </message>
    <message>
        <source>Open USD Kit 1</source>
        <translation>Open USD Kit 1</translation>
    </message>
    <message>
        <source>Open USD Kit 2</source>
        <translation>Open USD Kit 2</translation>
    </message>
    <message>
        <source>Save This File</source>
        <translation>Save This File</translation>
    </message>
    <message>
        <source>Copy Kit</source>
        <translation>Copy Kit</translation>
    </message>
</context>
<context>
    <name>tamo::usv::UserVoiceWindow</name>
    <message>
        <source>Ketron USerVoice Files (*.USV)|*.USV</source>
        <translation>Ketron USerVoice Files (*.USV)|*.USV</translation>
    </message>
    <message>
        <source>USV Editor for KETRON SD1</source>
        <translation>USV Editor for KETRON SD1</translation>
    </message>
    <message>
        <source>USV Editor</source>
        <translation>USV Editor</translation>
    </message>
    <message>
        <source>Recent in USV &amp;1</source>
        <translation>Recent in USV &amp;1</translation>
    </message>
    <message>
        <source>Recent in USV &amp;2</source>
        <translation>Recent in USV &amp;2</translation>
    </message>
    <message>
        <source>Open USV 1</source>
        <translation>Open USV 1</translation>
    </message>
    <message>
        <source>Open USV 2</source>
        <translation>Open USV 2</translation>
    </message>
    <message>
        <source>Save This File</source>
        <translation>Save This File</translation>
    </message>
    <message>
        <source>Copy Voice</source>
        <translation>Copy Voice</translation>
    </message>
    <message>
        <source>Copy Entry</source>
        <translation>Copy Entry</translation>
    </message>
</context>
</TS>
