<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="en">
<context>
    <name>BankFile</name>
    <message>
        <source>INFO : The file presents a bad CheckSum header. We will try to load it...</source>
        <translation>INFO : La somme de contrôle de l&apos;en-tête du fichier est fausse. Nous allons essayer de le charger...</translation>
    </message>
    <message>
        <source>This is not a valid Ketron SD1 Header (KUSD3) !</source>
        <translation>Ce n&apos;est pas un en-tête Ketron SD1 valide (KUSD3) !</translation>
    </message>
    <message>
        <source>Bad Kit Format !</source>
        <translation>Mauvais format de kit !</translation>
    </message>
    <message>
        <source>This is not a valid Ketron SD1 Header (KUSV0) !</source>
        <translation>Ce n&apos;est pas un en-tête Ketron SD1 valide (KUSV0) !</translation>
    </message>
    <message>
        <source>Bad USV Format !</source>
        <translation>Mauvais format USV !</translation>
    </message>
</context>
<context>
    <name>BankWindow</name>
    <message>
        <source>The file %1 could not be saved : %2 !
It was left as it was.</source>
        <translation>Le fichier %1 n&apos;a pas pu être enregistré : %2 !
Il est resté tel quel.</translation>
    </message>
</context>
<context>
    <name>DrumKit</name>
    <message>
        <source>Instruments with velocity layers (%1): each plays its layer of velocity 100.</source>
        <translation>Instruments à couches de vélocité (%1) : chacun joue sa couche de vélocité 100.</translation>
    </message>
    <message>
        <source>Sound files drumkit.xml names but the folder lacks, left out: %1.</source>
        <translation>Fichiers son que nomme drumkit.xml mais absents du dossier, laissés de côté : %1.</translation>
    </message>
    <message>
        <source>%1: kept %2 of %3 layers; left out %4.</source>
        <translation>%1 : %2 gardé sur %3 couches ; laissés de côté : %4.</translation>
    </message>
    <message>
        <source>Silent placeholders left out: %1.</source>
        <translation>Emplacements muets laissés de côté : %1.</translation>
    </message>
    <message>
        <source>Unreadable sound files left out: %1.</source>
        <translation>Fichiers son illisibles laissés de côté : %1.</translation>
    </message>
    <message>
        <source>An MSP holds %1 sounds: left out %2.</source>
        <translation>Un MSP contient %1 sons : laissés de côté : %2.</translation>
    </message>
    <message>
        <source>The kit&apos;s gains would clip: the whole kit is %1 dB lower.</source>
        <translation>Les gains du kit satureraient : tout le kit est abaissé de %1 dB.</translation>
    </message>
    <message>
        <source>drumkit.xml cannot be read (%1): the folder&apos;s sound files are taken as they are.</source>
        <translation>drumkit.xml est illisible (%1) : les fichiers son du dossier sont pris tels quels.</translation>
    </message>
    <message>
        <source>Drum kit, one key per sound: %1.</source>
        <translation>Kit de batterie, une touche par son : %1.</translation>
    </message>
</context>
<context>
    <name>EditMenu</name>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Rétablir</translation>
    </message>
</context>
<context>
    <name>ExportPlan</name>
    <message>
        <source>its own loop, kept</source>
        <translation>sa propre boucle, gardée</translation>
    </message>
    <message>
        <source>no loop: a one-shot in its instrument</source>
        <translation>pas de boucle : un son joué une fois dans son instrument</translation>
    </message>
    <message>
        <source>%1: unreadable: %2.</source>
        <translation>%1 : illisible : %2.</translation>
    </message>
    <message>
        <source>Two samples would be written as %1.</source>
        <translation>Deux échantillons seraient écrits sous le nom %1.</translation>
    </message>
    <message>
        <source>%1.WAV belongs to %2, which is left as it is: this set&apos;s sample is written as %3.WAV.</source>
        <translation>%1.WAV appartient à %2, qui reste tel quel : l&apos;échantillon de ce jeu est écrit sous le nom %3.WAV.</translation>
    </message>
    <message>
        <source>Keys %1 are played by more than one sample (%2): the keyboard sounds only the first on each key.</source>
        <translation>Les touches %1 jouent plus d&apos;un échantillon (%2) : le clavier ne fait entendre que le premier sur chaque touche.</translation>
    </message>
    <message>
        <source>no loop: a drum of the kit</source>
        <translation>pas de boucle : une pièce de la batterie</translation>
    </message>
</context>
<context>
    <name>FileErrors</name>
    <message>
        <source>Unknown error</source>
        <translation>Erreur inconnue</translation>
    </message>
    <message>
        <source>Is a directory</source>
        <translation>Est un dossier</translation>
    </message>
    <message>
        <source>Cannot write %1: %2.</source>
        <translation>Impossible d&apos;écrire %1 : %2.</translation>
    </message>
    <message>
        <source>No file name specified</source>
        <translation>Aucun nom de fichier indiqué</translation>
    </message>
    <message>
        <source>Not a regular file</source>
        <translation>N&apos;est pas un fichier ordinaire</translation>
    </message>
</context>
<context>
    <name>FileWriteCommand</name>
    <message>
        <source>&quot;%1&quot; could not be put back: %2</source>
        <translation>« %1 » n&apos;a pas pu être remis : %2</translation>
    </message>
    <message>
        <source>another program changed it since; it is left as it is</source>
        <translation>un autre programme l&apos;a modifié depuis ; il est laissé tel quel</translation>
    </message>
</context>
<context>
    <name>KeyboardExport</name>
    <message>
        <source>The folder %1 does not exist.</source>
        <translation>Le dossier %1 n&apos;existe pas.</translation>
    </message>
    <message>
        <source>The MSP file has no name.</source>
        <translation>Le fichier MSP n&apos;a pas de nom.</translation>
    </message>
    <message>
        <source>%1: unreadable: %2.</source>
        <translation>%1 : illisible : %2.</translation>
    </message>
    <message>
        <source>Cannot write %1: %2.</source>
        <translation>Impossible d&apos;écrire %1 : %2.</translation>
    </message>
    <message>
        <source>The export needs %1 in %2, but only %3 is free: nothing was written.</source>
        <translation>L&apos;export demande %1 dans %2, mais seuls %3 sont libres : rien n&apos;a été écrit.</translation>
    </message>
</context>
<context>
    <name>KeyboardFormat</name>
    <message>
        <source>missing</source>
        <translation>fichier absent</translation>
    </message>
    <message>
        <source>not a file</source>
        <translation>pas un fichier</translation>
    </message>
    <message>
        <source>unreadable: </source>
        <translation>illisible : </translation>
    </message>
    <message>
        <source> channels</source>
        <translation> canaux</translation>
    </message>
    <message>
        <source>header sizes disagree with the file</source>
        <translation>les tailles de l&apos;en-tête ne correspondent pas au fichier</translation>
    </message>
</context>
<context>
    <name>LoopFinder</name>
    <message>
        <source>too short</source>
        <translation>trop court</translation>
    </message>
    <message>
        <source>samples not finite</source>
        <translation>valeurs non finies</translation>
    </message>
    <message>
        <source>no steady pitch</source>
        <translation>pas de hauteur stable</translation>
    </message>
    <message>
        <source>no loop: </source>
        <translation>pas de boucle : </translation>
    </message>
    <message>
        <source>loop %1-%2</source>
        <translation>boucle %1-%2</translation>
    </message>
    <message>
        <source>, crossfade %1</source>
        <translation>, fondu enchaîné %1</translation>
    </message>
    <message>
        <source>decays to silence, no held part</source>
        <translation>s&apos;éteint jusqu&apos;au silence, aucune partie tenue</translation>
    </message>
    <message>
        <source>no steady sound</source>
        <translation>son instable</translation>
    </message>
</context>
<context>
    <name>LoopTool</name>
    <message>
        <source>Select a sample first.</source>
        <translation>Sélectionnez d&apos;abord un échantillon.</translation>
    </message>
    <message>
        <source>%1 is not in the keyboard&apos;s format (%2), so Find loop leaves it as it is. Export for the keyboard with Find loops ticked loops the exported copy.</source>
        <translation>%1 n&apos;est pas au format du clavier (%2) : Trouver une boucle le laisse tel quel. L&apos;export pour le clavier avec « Trouver les boucles » coché met une boucle dans la copie exportée.</translation>
    </message>
    <message>
        <source>%1: unreadable: %2</source>
        <translation>%1 : illisible : %2</translation>
    </message>
    <message>
        <source>%1 has a loop already; it stays as it is.</source>
        <translation>%1 a déjà une boucle ; il reste tel quel.</translation>
    </message>
    <message>
        <source>%1: %2.</source>
        <translation>%1 : %2.</translation>
    </message>
    <message>
        <source>%1 could not be written: %2</source>
        <translation>%1 n&apos;a pas pu être écrit : %2</translation>
    </message>
    <message>
        <source>Find loop</source>
        <translation>Trouver une boucle</translation>
    </message>
    <message>
        <source>%1: %2 (%3 s long, %4 s crossfade). Write this loop into the file?</source>
        <translation>%1 : %2 (%3 s de long, %4 s de fondu enchaîné). Écrire cette boucle dans le fichier ?</translation>
    </message>
    <message>
        <source>%1: %2 (%3 s long, %4 s crossfade). Keep this loop with the set? The file stays as it is; the export loops its copy.</source>
        <translation>%1 : %2 (%3 s de long, %4 s de fondu enchaîné). Garder cette boucle avec le jeu ? Le fichier reste tel quel ; l&apos;export boucle sa copie.</translation>
    </message>
</context>
<context>
    <name>ParameterTable</name>
    <message>
        <source>LEVEL</source>
        <translation>NIVEAU</translation>
    </message>
    <message>
        <source>REVERB</source>
        <translation>RÉVERB</translation>
    </message>
    <message>
        <source>OCTAVE</source>
        <translation>OCTAVE</translation>
    </message>
    <message>
        <source>FINE TUNE</source>
        <translation>ACCORD FIN</translation>
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
        <translation>DÉBUT</translation>
    </message>
    <message>
        <source>PITCH</source>
        <translation>HAUTEUR</translation>
    </message>
    <message>
        <source>END</source>
        <translation>FIN</translation>
    </message>
    <message>
        <source>KEY</source>
        <translation>TOUCHE</translation>
    </message>
    <message>
        <source>VOLUME</source>
        <translation>VOLUME</translation>
    </message>
    <message>
        <source>FINE</source>
        <translation>ACCORD</translation>
    </message>
    <message>
        <source>ATTACK</source>
        <translation>ATTAQUE</translation>
    </message>
    <message>
        <source>CUT OFF</source>
        <translation>COUPURE</translation>
    </message>
    <message>
        <source>DECAY</source>
        <translation>DÉCLIN</translation>
    </message>
    <message>
        <source>DCA OFFS</source>
        <translation>DCA DÉC</translation>
    </message>
    <message>
        <source>SUSTAIN</source>
        <translation>MAINTIEN</translation>
    </message>
    <message>
        <source>DCA SLOP</source>
        <translation>DCA PENTE</translation>
    </message>
    <message>
        <source>RELEASE</source>
        <translation>RELÂCHE</translation>
    </message>
    <message>
        <source>DCF OFFS</source>
        <translation>DCF DÉC</translation>
    </message>
    <message>
        <source>DCF SLOP</source>
        <translation>DCF PENTE</translation>
    </message>
</context>
<context>
    <name>PitchCheck</name>
    <message>
        <source>the sampler chunk</source>
        <translation>le bloc « smpl »</translation>
    </message>
    <message>
        <source>the name</source>
        <translation>le nom</translation>
    </message>
    <message>
        <source>the name, its octave moved</source>
        <translation>le nom, son octave déplacée</translation>
    </message>
    <message>
        <source>the sound</source>
        <translation>le son</translation>
    </message>
    <message>
        <source>the set</source>
        <translation>le jeu</translation>
    </message>
    <message>
        <source>the SFZ file</source>
        <translation>le fichier SFZ</translation>
    </message>
    <message>
        <source>the SoundFont</source>
        <translation>la SoundFont</translation>
    </message>
    <message>
        <source>nowhere</source>
        <translation>nulle part</translation>
    </message>
    <message>
        <source>%1 %2 cents</source>
        <translation>%1 %2 cents</translation>
    </message>
    <message>
        <source>root %1 from %2</source>
        <translation>note fondamentale %1 d’après %2</translation>
    </message>
    <message>
        <source>no root</source>
        <translation>pas de note fondamentale</translation>
    </message>
    <message>
        <source>; no held pitch: %1</source>
        <translation> ; pas de hauteur tenue : %1</translation>
    </message>
    <message>
        <source>; sounds like %1? (unsure: %2)</source>
        <translation> ; sonne comme %1 ? (incertain : %2)</translation>
    </message>
    <message>
        <source>; sounds like %1</source>
        <translation> ; sonne comme %1</translation>
    </message>
    <message>
        <source>; plays as recorded (one key or a fixed pitch)</source>
        <translation> ; joue tel qu’enregistré (une seule touche ou hauteur fixe)</translation>
    </message>
    <message>
        <source>no sound file</source>
        <translation>pas de fichier son</translation>
    </message>
    <message>
        <source>The notes in the file names lie %1 semitones below their sound (another naming of octaves): each is read that much higher.</source>
        <translation>Les notes des noms de fichier sont %1 demi-tons sous leur son (une autre façon de nommer les octaves) : chacune est lue d’autant plus haut.</translation>
    </message>
    <message>
        <source>The notes in the file names lie %1 semitones above their sound (another naming of octaves): each is read that much lower.</source>
        <translation>Les notes des noms de fichier sont %1 demi-tons au-dessus de leur son (une autre façon de nommer les octaves) : chacune est lue d’autant plus bas.</translation>
    </message>
    <message>
        <source>The sampler chunks of all %1 files say %2, and %3 of their sounds disagree: their roots come from the names and the sound instead.</source>
        <translation>Les blocs « smpl » des %1 fichiers disent tous %2, et %3 de leurs sons les contredisent : les notes fondamentales viennent plutôt des noms et du son.</translation>
    </message>
    <message>
        <source>%1 said %2</source>
        <translation>%1 disait %2</translation>
    </message>
    <message>
        <source>none was found</source>
        <translation>aucune n’avait été trouvée</translation>
    </message>
    <message>
        <source>%1: root %2, the name&apos;s note moved %3 semitones to match its sound (%4); %5.</source>
        <translation>%1 : note fondamentale %2, la note du nom déplacée de %3 demi-tons pour suivre son son (%4) ; %5.</translation>
    </message>
    <message>
        <source>%1: sounds like %2, %3 semitones from its root %4 (%5); kept.</source>
        <translation>%1 : sonne comme %2, à %3 demi-tons de sa note fondamentale %4 (%5) ; gardée.</translation>
    </message>
    <message>
        <source>%1: root %2 from its sound (%3); %4.</source>
        <translation>%1 : note fondamentale %2 d’après son son (%3) ; %4.</translation>
    </message>
    <message>
        <source>%1: root %2 from %3; %4.</source>
        <translation>%1 : note fondamentale %2 d’après %3 ; %4.</translation>
    </message>
    <message>
        <source>; a layer %1 cents from one in tune over its keys: a stop, no wrong root</source>
        <translation> ; une couche à %1 cents d’une autre, juste, sur les mêmes touches : un jeu ajouté, pas une fondamentale fausse</translation>
    </message>
    <message>
        <source>; its fundamental is faint: %1 is as likely</source>
        <translation> ; sa fondamentale est faible : %1 est aussi probable</translation>
    </message>
</context>
<context>
    <name>PitchDetector</name>
    <message>
        <source>an unusable rate</source>
        <translation>une fréquence d’échantillonnage inutilisable</translation>
    </message>
    <message>
        <source>too short to hold a note</source>
        <translation>trop court pour tenir une note</translation>
    </message>
    <message>
        <source>no periodic tone (noise, a drum or a breath)</source>
        <translation>pas de son périodique (bruit, percussion ou souffle)</translation>
    </message>
    <message>
        <source>its pitch moves (a sweep, a voice or a drum)</source>
        <translation>sa hauteur bouge (glissement, voix ou percussion)</translation>
    </message>
    <message>
        <source>too noisy to name a pitch</source>
        <translation>trop bruité pour nommer une hauteur</translation>
    </message>
    <message>
        <source>unreadable: %1</source>
        <translation>illisible : %1</translation>
    </message>
    <message>
        <source>silent</source>
        <translation>silencieux</translation>
    </message>
    <message>
        <source>no held part: it dies away at once (a drum or a hit)</source>
        <translation>pas de partie tenue : il s’éteint aussitôt (percussion ou coup)</translation>
    </message>
</context>
<context>
    <name>Platform</name>
    <message>
        <source>The file %1 already exists.<byte value="xd"/>
Do you want to replace it ?</source>
        <translation>Le fichier %1 existe déjà.<byte value="xd"/>
Voulez-vous le remplacer ?</translation>
    </message>
</context>
<context>
    <name>RootNote</name>
    <message>
        <source>sampler chunk</source>
        <translation>le bloc « smpl »</translation>
    </message>
    <message>
        <source>file name</source>
        <translation>le nom du fichier</translation>
    </message>
    <message>
        <source>none</source>
        <translation>aucune source</translation>
    </message>
</context>
<context>
    <name>SfzImport</name>
    <message>
        <source>  %1, keys %2, velocity %3-%4 (%5)</source>
        <translation>  %1, touches %2, vélocité %3-%4 (%5)</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a number for %2; it is read past</source>
        <translation>« %1 » n&apos;est pas un nombre pour %2 ; il est ignoré</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a number for %2</source>
        <translation>« %1 » n&apos;est pas un nombre pour %2</translation>
    </message>
    <message>
        <source>Regions without a sample, left out:</source>
        <translation>Régions sans échantillon, laissées de côté :</translation>
    </message>
    <message>
        <source>Regions playing a built-in generator (*sine, *noise, ...), left out:</source>
        <translation>Régions jouant un générateur intégré (*sine, *noise, ...), laissées de côté :</translation>
    </message>
    <message>
        <source>Regions played on release or other triggers, left out:</source>
        <translation>Régions jouées au relâchement ou par un autre déclencheur, laissées de côté :</translation>
    </message>
    <message>
        <source>Round robins and random alternates: the first is kept, left out:</source>
        <translation>Alternances (round robin) et variantes aléatoires : la première est gardée, laissées de côté :</translation>
    </message>
    <message>
        <source>Regions no key plays, left out:</source>
        <translation>Régions qu&apos;aucune touche ne joue, laissées de côté :</translation>
    </message>
    <message>
        <source>Regions with trigger=%1 play on every key down, as attack regions</source>
        <translation>Les régions avec trigger=%1 jouent à chaque touche enfoncée, comme des régions d&apos;attaque</translation>
    </message>
    <message>
        <source>Only one velocity layer fits a key: of %1 layers, kept velocity %2, %3</source>
        <translation>Une seule couche de vélocité tient sur une touche : sur %1 couches, vélocité %2 gardée, %3</translation>
    </message>
    <message>
        <source>the one playing at velocity 100</source>
        <translation>celle qui joue à la vélocité 100</translation>
    </message>
    <message>
        <source>the loudest (none plays at velocity 100)</source>
        <translation>la plus forte (aucune ne joue à la vélocité 100)</translation>
    </message>
    <message>
        <source>Other velocity layers, left out:</source>
        <translation>Autres couches de vélocité, laissées de côté :</translation>
    </message>
    <message>
        <source>The sample file &quot;%1&quot; does not exist</source>
        <translation>Le fichier d&apos;échantillon « %1 » n&apos;existe pas</translation>
    </message>
    <message>
        <source>Key-switched articulations other than the one on %1 (%2), left out:</source>
        <translation>Articulations par touche de commutation autres que celle de %1 (%2), laissées de côté :</translation>
    </message>
    <message>
        <source>the lowest switch</source>
        <translation>la commutation la plus basse</translation>
    </message>
    <message>
        <source>  %1: pitch_keycenter=sample, but the file names no unity note; KEY is %2</source>
        <translation>  %1 : pitch_keycenter=sample, mais le fichier ne donne aucune note fondamentale ; KEY vaut %2</translation>
    </message>
    <message>
        <source>  %1: offset=%2 lies beyond its %3 frames; it plays from the start</source>
        <translation>  %1 : offset=%2 dépasse ses %3 trames ; il joue depuis le début</translation>
    </message>
    <message>
        <source>  %1: end=%2 lies beyond its %3 frames; it plays to its end</source>
        <translation>  %1 : end=%2 dépasse ses %3 trames ; il joue jusqu&apos;à sa fin</translation>
    </message>
    <message>
        <source>  %1: end=%2 comes before offset=%3; it plays to its end</source>
        <translation>  %1 : end=%2 vient avant offset=%3 ; il joue jusqu&apos;à sa fin</translation>
    </message>
    <message>
        <source>  %1: loop_mode=%2 is not known; its own loop is kept</source>
        <translation>  %1 : loop_mode=%2 est inconnu ; sa propre boucle est gardée</translation>
    </message>
    <message>
        <source>  %1: loop_end=%2 lies beyond the frames played; the loop ends at %3</source>
        <translation>  %1 : loop_end=%2 dépasse les trames jouées ; la boucle finit à %3</translation>
    </message>
    <message>
        <source>  %1: loop_start=%2 lies before offset=%3; the loop starts there</source>
        <translation>  %1 : loop_start=%2 est avant offset=%3 ; la boucle commence là</translation>
    </message>
    <message>
        <source>  %1: the loop %2-%3 holds no frame played; it plays without a loop</source>
        <translation>  %1 : la boucle %2-%3 ne contient aucune trame jouée ; il joue sans boucle</translation>
    </message>
    <message>
        <source>  %1 now plays keys %2, in place of %3 (keys %4)</source>
        <translation>  %1 joue maintenant les touches %2, à la place de %3 (touches %4)</translation>
    </message>
    <message>
        <source>Beyond 64 samples, left out:</source>
        <translation>Au-delà de 64 échantillons, laissées de côté :</translation>
    </message>
    <message>
        <source>  %1: a tuning of %2 cents does not fit; KEY is kept at %3, untuned</source>
        <translation>  %1 : un accord de %2 cents ne tient pas ; KEY reste à %3, sans accord</translation>
    </message>
    <message>
        <source>  %1: pitch_keytrack=%2 is not expressed; PITCH stays STANDARD</source>
        <translation>  %1 : pitch_keytrack=%2 n&apos;est pas rendu ; PITCH reste STANDARD</translation>
    </message>
    <message>
        <source>  %1: a volume of %2 dB is above full; VOLUME is 127</source>
        <translation>  %1 : un volume de %2 dB dépasse le maximum ; VOLUME vaut 127</translation>
    </message>
    <message>
        <source>%1 regions read, %2 samples made</source>
        <translation>%1 régions lues, %2 échantillons créés</translation>
    </message>
    <message>
        <source>Opcodes the keyboard cannot express, left out:</source>
        <translation>Opcodes que le clavier ne peut pas rendre, laissés de côté :</translation>
    </message>
    <message>
        <source>  %1 (first at %2)</source>
        <translation>  %1 (la première fois en %2)</translation>
    </message>
    <message>
        <source>More than 64 regions: neighbouring zones merged:</source>
        <translation>Plus de 64 régions : zones voisines fusionnées :</translation>
    </message>
    <message>
        <source>Approximated:</source>
        <translation>Approximé :</translation>
    </message>
    <message>
        <source>Left and right regions playing together, now one stereo sample each:</source>
        <translation>Régions gauche et droite jouées ensemble, désormais un seul échantillon stéréo chacune :</translation>
    </message>
    <message>
        <source>%1 is not a mono or stereo file that can be read</source>
        <translation>%1 n’est pas un fichier mono ou stéréo lisible</translation>
    </message>
    <message>
        <source>a layer cannot be brought to the pitch of the first</source>
        <translation>une couche ne peut être amenée à la hauteur de la première</translation>
    </message>
    <message>
        <source>  %1: loop %2-%3 found on the mix</source>
        <translation>  %1 : boucle %2-%3 trouvée sur le mélange</translation>
    </message>
    <message>
        <source>  %1: no loop found on the mix; %2</source>
        <translation>  %1 : aucune boucle trouvée sur le mélange ; %2</translation>
    </message>
    <message>
        <source>the first layer&apos;s loop is kept</source>
        <translation>la boucle de la première couche est gardée</translation>
    </message>
    <message>
        <source>it plays without a loop</source>
        <translation>il joue sans boucle</translation>
    </message>
    <message>
        <source>Layers sounding together on a key, mixed into one sample (each at its level, pan and tuning):</source>
        <translation>Couches jouant ensemble sur une touche, mélangées en un seul échantillon (chacune à son niveau, son panoramique et son accord) :</translation>
    </message>
    <message>
        <source>More than %1 layers on a key: the first %1 mixed, the others (counted) left out:</source>
        <translation>Plus de %1 couches sur une touche : les %1 premières mélangées, les autres (comptées) laissées de côté :</translation>
    </message>
    <message>
        <source>Loops sought again on the mixed sound:</source>
        <translation>Boucles cherchées de nouveau sur le son mélangé :</translation>
    </message>
    <message>
        <source>Warning: layers that could not be mixed, kept as overlapping samples: the keyboard sounds only the first:</source>
        <translation>Attention : couches qui n’ont pu être mélangées, gardées en échantillons superposés : le clavier ne joue que le premier :</translation>
    </message>
    <message>
        <source>Warning: layers sounding together on a key, kept as overlapping samples (--layers first): the keyboard sounds only the first:</source>
        <translation>Attention : couches jouant ensemble sur une touche, gardées en échantillons superposés (--layers first) : le clavier ne joue que le premier :</translation>
    </message>
    <message>
        <source>  %1: right side resampled from %2 Hz to %3 Hz to pair it with the left</source>
        <translation>  %1 : côté droit rééchantillonné de %2 Hz à %3 Hz pour former la paire avec le gauche</translation>
    </message>
</context>
<context>
    <name>SfzParser</name>
    <message>
        <source>The comment started here is never closed with */</source>
        <translation>Le commentaire commencé ici n&apos;est jamais fermé par */</translation>
    </message>
    <message>
        <source>The line grows beyond %1 characters once its $names are replaced</source>
        <translation>La ligne dépasse %1 caractères une fois ses $noms remplacés</translation>
    </message>
    <message>
        <source>The $names expand to more than %1 MB of text in all</source>
        <translation>Les $noms donnent plus de %1 Mo de texte en tout</translation>
    </message>
    <message>
        <source>The line is longer than %1 characters</source>
        <translation>La ligne dépasse %1 caractères</translation>
    </message>
    <message>
        <source>The header is not closed with &gt;</source>
        <translation>L&apos;en-tête n&apos;est pas fermé par &gt;</translation>
    </message>
    <message>
        <source>Expected an opcode (name=value) but found &quot;%1&quot;</source>
        <translation>Un opcode (nom=valeur) était attendu, mais « %1 » a été trouvé</translation>
    </message>
    <message>
        <source>The opcode %1 has no value; it is read past</source>
        <translation>L&apos;opcode %1 n&apos;a pas de valeur ; il est ignoré</translation>
    </message>
    <message>
        <source>Expected #define $NAME value</source>
        <translation>#define $NOM valeur était attendu</translation>
    </message>
    <message>
        <source>The included file &quot;%1&quot; does not exist</source>
        <translation>Le fichier inclus « %1 » n&apos;existe pas</translation>
    </message>
    <message>
        <source>The included file &quot;%1&quot; cannot be read</source>
        <translation>Le fichier inclus « %1 » ne peut pas être lu</translation>
    </message>
    <message>
        <source>More than %1 regions</source>
        <translation>Plus de %1 régions</translation>
    </message>
    <message>
        <source>The regions hold more than %1 opcodes in all</source>
        <translation>Les régions contiennent plus de %1 opcodes en tout</translation>
    </message>
    <message>
        <source>&lt;%1&gt; header read past (first at %2)</source>
        <translation>En-tête &lt;%1&gt; ignoré (la première fois en %2)</translation>
    </message>
    <message>
        <source>The opcode %1 comes before any header</source>
        <translation>L&apos;opcode %1 vient avant tout en-tête</translation>
    </message>
    <message>
        <source>%1 needs a whole number, not &quot;%2&quot;</source>
        <translation>%1 demande un nombre entier, pas « %2 »</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a note for %2</source>
        <translation>« %1 » n&apos;est pas une note pour %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a note for %2; it is read past</source>
        <translation>« %1 » n&apos;est pas une note pour %2 ; il est ignoré</translation>
    </message>
    <message>
        <source>%1, line %2</source>
        <translation>%1, ligne %2</translation>
    </message>
    <message>
        <source>The file cannot be read</source>
        <translation>Le fichier ne peut pas être lu</translation>
    </message>
</context>
<context>
    <name>SoundFontExport</name>
    <message>
        <source>cannot make a temporary folder: %1</source>
        <translation>impossible de créer un dossier temporaire : %1</translation>
    </message>
    <message>
        <source>preset %1 has no zone with a sample</source>
        <translation>le preset %1 n&apos;a aucune zone avec un échantillon</translation>
    </message>
    <message>
        <source>Velocity layer %1 (%2):</source>
        <translation>Couche de vélocité %1 (%2) :</translation>
    </message>
    <message>
        <source>zones playing samples of a sound chip&apos;s memory</source>
        <translation>zones jouant des échantillons de la mémoire d&apos;une puce sonore</translation>
    </message>
    <message>
        <source>%1: its offsets give frames %2..%3, outside its %4 frames</source>
        <translation>%1 : ses décalages donnent les trames %2..%3, hors de ses %4 trames</translation>
    </message>
    <message>
        <source>%1: its loop %2..%3 lies outside the sample (%4..%5)</source>
        <translation>%1 : sa boucle %2..%3 est hors de l&apos;échantillon (%4..%5)</translation>
    </message>
    <message>
        <source>modulators</source>
        <translation>modulateurs</translation>
    </message>
    <message>
        <source>the pan of mono zones</source>
        <translation>le panoramique des zones mono</translation>
    </message>
    <message>
        <source>  %1: a loop of %2 frames at %3 Hz is %4 frames at 44.1 kHz; tuned %5 cents</source>
        <translation>  %1 : une boucle de %2 trames à %3 Hz fait %4 trames à 44,1 kHz ; accordée de %5 cents</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>impossible d&apos;écrire %1 : %2</translation>
    </message>
    <message>
        <source>velocity %1-%2</source>
        <translation>vélocité %1-%2</translation>
    </message>
    <message>
        <source>Preset %1: %2 zones</source>
        <translation>Preset %1 : %2 zones</translation>
    </message>
    <message>
        <source>%1 left and right zone pairs written as stereo files</source>
        <translation>%1 paires de zones gauche et droite écrites en fichiers stéréo</translation>
    </message>
    <message>
        <source>SoundFont features the keyboard cannot express, left out:</source>
        <translation>Fonctions SoundFont que le clavier ne peut pas rendre, laissées de côté :</translation>
    </message>
    <message>
        <source>Short loops kept in tune at 44.1 kHz by FINE:</source>
        <translation>Boucles courtes gardées justes à 44,1 kHz par FINE :</translation>
    </message>
    <message>
        <source>preset %1 has more zones than the keyboard can hold (%2 at most)</source>
        <translation>le preset %1 a plus de zones que le clavier ne peut en contenir (%2 au plus)</translation>
    </message>
    <message>
        <source>preset %1 plays its samples in more cuts than the keyboard can hold</source>
        <translation>le preset %1 joue ses échantillons en plus de découpes que le clavier ne peut en contenir</translation>
    </message>
    <message>
        <source>LFOs (vibrato, tremolo)</source>
        <translation>LFO (vibrato, trémolo)</translation>
    </message>
    <message>
        <source>filters</source>
        <translation>filtres</translation>
    </message>
    <message>
        <source>the modulation envelope</source>
        <translation>l&apos;enveloppe de modulation</translation>
    </message>
    <message>
        <source>exclusive classes</source>
        <translation>classes exclusives</translation>
    </message>
    <message>
        <source>chorus and reverb sends</source>
        <translation>envois de chorus et de réverbération</translation>
    </message>
    <message>
        <source>volume envelope delay and hold</source>
        <translation>délai et maintien de l&apos;enveloppe de volume</translation>
    </message>
    <message>
        <source>fixed keys and velocities</source>
        <translation>touches et vélocités fixes</translation>
    </message>
    <message>
        <source>%1: instrument %2, zone %3</source>
        <translation>%1 : instrument %2, zone %3</translation>
    </message>
    <message>
        <source>preset %1: a layer cannot be brought to the pitch of %2</source>
        <translation>preset %1 : une couche ne peut être amenée à la hauteur de %2</translation>
    </message>
    <message>
        <source>  %1: no loop found on the mix; %2</source>
        <translation>  %1 : aucune boucle trouvée sur le mélange ; %2</translation>
    </message>
    <message>
        <source>the first layer&apos;s loop is kept</source>
        <translation>la boucle de la première couche est gardée</translation>
    </message>
    <message>
        <source>it plays without a loop</source>
        <translation>il joue sans boucle</translation>
    </message>
    <message>
        <source>loop %1-%2 found on the mix</source>
        <translation>boucle %1-%2 trouvée sur le mélange</translation>
    </message>
    <message>
        <source>  %1: the mix of its layers is %2 dB quieter than the font plays it</source>
        <translation>  %1 : le mélange de ses couches est %2 dB plus faible que la SoundFont ne le joue</translation>
    </message>
    <message>
        <source>  %1: no loop fits both sides; the loop of one side is kept</source>
        <translation>  %1 : aucune boucle ne convient aux deux côtés ; la boucle d’un côté est gardée</translation>
    </message>
    <message>
        <source>loop %1-%2 found on both sides</source>
        <translation>boucle %1-%2 trouvée sur les deux côtés</translation>
    </message>
    <message>
        <source>%1 stereo files of sides of unequal lengths: the shorter side ends in silence or its own loop</source>
        <translation>%1 fichiers stéréo de côtés de longueurs inégales : le côté le plus court finit en silence ou dans sa propre boucle</translation>
    </message>
    <message>
        <source>Layers sounding together on a key, mixed into one sample (each at its level, pan and tuning):</source>
        <translation>Couches jouant ensemble sur une touche, mélangées en un seul échantillon (chacune à son niveau, son panoramique et son accord) :</translation>
    </message>
    <message>
        <source>Warning: layers sounding together on a key, kept as overlapping samples (--layers first): the keyboard sounds only the first:</source>
        <translation>Attention : couches jouant ensemble sur une touche, gardées en échantillons superposés (--layers first) : le clavier ne joue que le premier :</translation>
    </message>
    <message>
        <source>Loops sought again on the sound written:</source>
        <translation>Boucles cherchées de nouveau sur le son écrit :</translation>
    </message>
    <message>
        <source>More than %1 layers on a key: the first %1 mixed, the others (counted) left out:</source>
        <translation>Plus de %1 couches sur une touche : les %1 premières mélangées, les autres (comptées) laissées de côté :</translation>
    </message>
    <message>
        <source>  %1: right side resampled from %2 Hz to %3 Hz to pair it with the left</source>
        <translation>  %1 : côté droit rééchantillonné de %2 Hz à %3 Hz pour former la paire avec le gauche</translation>
    </message>
</context>
<context>
    <name>VoiceSet</name>
    <message>
        <source>%1: no sound file</source>
        <translation>%1 : aucun fichier son</translation>
    </message>
    <message>
        <source>%1 channels: only mono and stereo play</source>
        <translation>%1 canaux : seuls le mono et le stéréo sont joués</translation>
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
        <translation>Éditeur MSP (échantillonneur)</translation>
    </message>
    <message>
        <source>DrumKits USD Editor</source>
        <translation>Éditeur USD (kits de batterie)</translation>
    </message>
    <message>
        <source>UserVoices USV Editor</source>
        <translation>Éditeur USV (voix utilisateur)</translation>
    </message>
</context>
<context>
    <name>tamo::bank::TransferWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Édition</translation>
    </message>
    <message>
        <source>The file was modified.<byte value="xd"/>
<byte value="xd"/>
Do you want to save the modifications ?</source>
        <translation>Le fichier a été modifié.<byte value="xd"/>
<byte value="xd"/>
Voulez-vous enregistrer les modifications ?</translation>
    </message>
</context>
<context>
    <name>tamo::msp_editor::KeyMapWindow</name>
    <message>
        <source>Key Map</source>
        <translation>Carte des touches</translation>
    </message>
    <message>
        <source>Click a key to hear the sample it plays.</source>
        <translation>Cliquez sur une touche pour entendre l&apos;échantillon qu&apos;elle joue.</translation>
    </message>
    <message>
        <source>%1: </source>
        <translation>%1 : </translation>
    </message>
    <message>
        <source>no sample plays this key</source>
        <translation>aucun échantillon ne joue cette touche</translation>
    </message>
    <message>
        <source>sample %1 %2</source>
        <translation>échantillon %1 %2</translation>
    </message>
    <message>
        <source> (%1)</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>Key Map (no audio output: the keys cannot be heard)</source>
        <translation>Carte des touches (pas de sortie audio : les touches restent muettes)</translation>
    </message>
    <message>
        <source>No audio output was found: the keys cannot be heard.</source>
        <translation>Aucune sortie audio trouvée : les touches restent muettes.</translation>
    </message>
</context>
<context>
    <name>tamo::msp_editor::KeyboardTools</name>
    <message>
        <source>&amp;Keyboard</source>
        <translation>&amp;Clavier</translation>
    </message>
    <message>
        <source>&amp;Map keys</source>
        <translation>&amp;Affecter les touches</translation>
    </message>
    <message>
        <source>&amp;Key map...</source>
        <translation>Carte des &amp;touches...</translation>
    </message>
    <message>
        <source>&amp;Rename sample...</source>
        <translation>&amp;Renommer l&apos;échantillon...</translation>
    </message>
    <message>
        <source>&amp;Find loop</source>
        <translation>Trouver une &amp;boucle</translation>
    </message>
    <message>
        <source>&amp;Import SFZ...</source>
        <translation>&amp;Importer un SFZ...</translation>
    </message>
    <message>
        <source>Import &amp;SoundFont...</source>
        <translation>Importer une &amp;SoundFont...</translation>
    </message>
    <message>
        <source>&amp;Export for the keyboard...</source>
        <translation>&amp;Exporter pour le clavier...</translation>
    </message>
    <message>
        <source>missing</source>
        <translation>fichier absent</translation>
    </message>
    <message>
        <source>Map keys</source>
        <translation>Affecter les touches</translation>
    </message>
    <message>
        <source>Root %1, from the %2</source>
        <translation>Note fondamentale %1, trouvée dans %2</translation>
    </message>
    <message>
        <source>No root key found</source>
        <translation>Aucune note fondamentale trouvée</translation>
    </message>
    <message>
        <source>The name&apos;s %1 is overruled by the sampler chunk</source>
        <translation>Le %1 du nom est remplacé par le bloc « smpl »</translation>
    </message>
    <message>
        <source>A name made up for %1</source>
        <translation>Un nom inventé pour %1</translation>
    </message>
    <message>
        <source>Not in the keyboard&apos;s format: %1. Export for the keyboard converts it.</source>
        <translation>Pas au format du clavier : %1. L&apos;export pour le clavier le convertit.</translation>
    </message>
    <message>
        <source>Select a sample first.</source>
        <translation>Sélectionnez d&apos;abord un échantillon.</translation>
    </message>
    <message>
        <source>Rename sample</source>
        <translation>Renommer l&apos;échantillon</translation>
    </message>
    <message>
        <source>New name (up to 8 characters):</source>
        <translation>Nouveau nom (8 caractères au plus) :</translation>
    </message>
    <message>
        <source>A sample name has 1 to 8 letters, digits or ! # $ % &amp; &apos; ( ) - @ ^ _ ` { } ~ .</source>
        <translation>Un nom d&apos;échantillon a de 1 à 8 lettres, chiffres ou ! # $ % &amp; &apos; ( ) - @ ^ _ ` { } ~ .</translation>
    </message>
    <message>
        <source>Another sample is already named %1.</source>
        <translation>Un autre échantillon porte déjà le nom %1.</translation>
    </message>
    <message>
        <source>Rename samples</source>
        <translation>Renommer les échantillons</translation>
    </message>
    <message>
        <source>Common start of the %1 names (each ends with its KEY):</source>
        <translation>Début commun des %1 noms (chacun finit par sa touche, KEY) :</translation>
    </message>
    <message>
        <source>Export for the keyboard</source>
        <translation>Exporter pour le clavier</translation>
    </message>
    <message>
        <source>Prepare the exported copies (your sound files stay as they are):</source>
        <translation>Préparer les copies exportées (vos fichiers audio restent tels quels) :</translation>
    </message>
    <message>
        <source>Find loops for held notes that have none</source>
        <translation>Trouver les boucles des notes tenues qui n&apos;en ont pas</translation>
    </message>
    <message>
        <source>Normalize: one gain, the loudest sample at -1 dBFS</source>
        <translation>Normaliser : un seul gain, l&apos;échantillon le plus fort à -1 dBFS</translation>
    </message>
    <message>
        <source>Trim silence below -60 dBFS at the start and end</source>
        <translation>Couper le silence sous -60 dBFS au début et à la fin</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Writing %1</source>
        <translation>Écriture de %1</translation>
    </message>
    <message>
        <source>The instrument is %1.</source>
        <translation>L&apos;instrument est %1.</translation>
    </message>
    <message>
        <source>Replaced: %1</source>
        <translation>Remplacé : %1</translation>
    </message>
    <message>
        <source>Name of the instrument (up to 8 characters):</source>
        <translation>Nom de l&apos;instrument (8 caractères au plus) :</translation>
    </message>
    <message>
        <source>%1 already exists in %2. Replace that instrument?</source>
        <translation>%1 existe déjà dans %2. Remplacer cet instrument ?</translation>
    </message>
    <message>
        <source>%1 imported.<byte value="xd"/>
<byte value="xd"/>
%2</source>
        <translation>%1 importé.<byte value="xd"/>
<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>Import SFZ</source>
        <translation>Importer un SFZ</translation>
    </message>
    <message>
        <source>SFZ Files (*.SFZ)|*.SFZ</source>
        <translation>Fichiers SFZ (*.SFZ)|*.SFZ</translation>
    </message>
    <message>
        <source>Import SoundFont</source>
        <translation>Importer une SoundFont</translation>
    </message>
    <message>
        <source>SoundFont Files (*.SF2;*.SF3)|*.SF2;*.SF3</source>
        <translation>Fichiers SoundFont (*.SF2;*.SF3)|*.SF2;*.SF3</translation>
    </message>
    <message>
        <source>%1 holds no preset.</source>
        <translation>%1 ne contient aucun preset.</translation>
    </message>
    <message>
        <source>Import SoundFont: %1</source>
        <translation>Importer une SoundFont : %1</translation>
    </message>
    <message>
        <source>&amp;Play...</source>
        <translation>&amp;Jouer...</translation>
    </message>
    <message>
        <source>MIDI &amp;input</source>
        <translation>&amp;Entrée MIDI</translation>
    </message>
    <message>
        <source>The MIDI input %1 could not be opened.</source>
        <translation>L&apos;entrée MIDI %1 n&apos;a pas pu être ouverte.</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Aucune</translation>
    </message>
    <message>
        <source>No MIDI input found</source>
        <translation>Aucune entrée MIDI trouvée</translation>
    </message>
    <message>
        <source>A name has 1 to 8 letters, digits or ! # $ % &amp; &apos; ( ) - @ ^ _ ` { } ~ (no space).</source>
        <translation>Un nom a de 1 à 8 lettres, chiffres ou ! # $ % &amp; &apos; ( ) - @ ^ _ ` { } ~ (sans espace).</translation>
    </message>
    <message>
        <source>Preparing the copies...</source>
        <translation>Préparation des copies...</translation>
    </message>
    <message>
        <source>Cancelling...</source>
        <translation>Annulation...</translation>
    </message>
    <message>
        <source>Preparing %1</source>
        <translation>Préparation de %1</translation>
    </message>
    <message>
        <source>The set holds no sample: the keyboard would get an instrument that plays nothing.<byte value="xd"/>
<byte value="xd"/>
Export it anyway?</source>
        <translation>L&apos;ensemble ne contient aucun échantillon : le clavier recevrait un instrument muet.<byte value="xd"/>
<byte value="xd"/>
L&apos;exporter quand même ?</translation>
    </message>
    <message>
        <source>Cancelled: nothing was written.</source>
        <translation>Annulé : rien n&apos;a été écrit.</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) written to %1 (%2 WAV copied, %3 converted).</source>
        <translation>
            <numerusform>%n fichier écrit dans %1 (%2 WAV copiés, %3 convertis).</numerusform>
            <numerusform>%n fichiers écrits dans %1 (%2 WAV copiés, %3 convertis).</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n older file(s) replaced.</source>
        <translation>
            <numerusform>%n fichier plus ancien remplacé.</numerusform>
            <numerusform>%n fichiers plus anciens remplacés.</numerusform>
        </translation>
    </message>
    <message>
        <source>See the details for each file.</source>
        <translation>Voir les détails pour chaque fichier.</translation>
    </message>
    <message>
        <source>Check &amp;pitch...</source>
        <translation>Vérifier la &amp;hauteur...</translation>
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
        <translation>Aucune sortie audio n&apos;a été trouvée : rien ne peut être entendu.</translation>
    </message>
    <message>
        <source>The audio output %1 cannot play 44.1 kHz stereo: nothing can be heard.</source>
        <translation>La sortie audio %1 ne peut pas jouer du stéréo à 44,1 kHz : rien ne peut être entendu.</translation>
    </message>
    <message>
        <source>The audio output %1 could not be opened: nothing can be heard.</source>
        <translation>La sortie audio %1 n&apos;a pas pu être ouverte : rien ne peut être entendu.</translation>
    </message>
    <message>
        <source>Playing through %1. Keys Z to M and Q to U play, - and + change the octave.</source>
        <translation>Lecture par %1. Les touches Z à M et Q à U jouent, - et + changent d&apos;octave.</translation>
    </message>
</context>
<context>
    <name>tamo::msp_editor::MspEditorWindow</name>
    <message>
        <source>Open</source>
        <translation>Ouvrir</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Enregistrer sous</translation>
    </message>
    <message>
        <source>Ketron MultiSamPle Files (*.MSP)|*.MSP</source>
        <translation>Fichiers MultiSamPle Ketron (*.MSP)|*.MSP</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Nouveau</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Ouvrir</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Enregistrer</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Enregistrer &amp;sous...</translation>
    </message>
    <message>
        <source>Add &amp;Wav Sample...</source>
        <translation>&amp;Ajouter un échantillon WAV...</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Édition</translation>
    </message>
    <message>
        <source>&amp;?</source>
        <translation>&amp;?</translation>
    </message>
    <message>
        <source>A&amp;bout</source>
        <translation>À &amp;propos</translation>
    </message>
    <message>
        <source>Add Wav Sample</source>
        <translation>Ajouter un échantillon WAV</translation>
    </message>
    <message>
        <source>Remove Selected Sample</source>
        <translation>Retirer l&apos;échantillon choisi</translation>
    </message>
    <message>
        <source>This is not a valid Ketron MSP file !</source>
        <translation>Ce n&apos;est pas un fichier MSP Ketron valide !</translation>
    </message>
    <message>
        <source>The file %1 is not a multisample (MSP) file.<byte value="xd"/>
<byte value="xd"/>
Do you want to write the multisample over it ?</source>
        <translation>Le fichier %1 n&apos;est pas un fichier multi-échantillon (MSP).<byte value="xd"/>
<byte value="xd"/>
Voulez-vous écrire le multi-échantillon par-dessus ?</translation>
    </message>
    <message>
        <source>The file %1 could not be saved:<byte value="xd"/>
%2</source>
        <translation>Le fichier %1 n&apos;a pas pu être enregistré :<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>MultiSamPles (MSP) Files Editor for Ketron SD1<byte value="xd"/>
<byte value="xd"/>
V1.04    Uncompleted Version !!!<byte value="xd"/>
<byte value="xd"/>
TAMO is free software under the GNU General Public License, version 3 or later (GPL-3.0-or-later). It comes with no warranty.</source>
        <translation>Éditeur de fichiers MultiSamPles (MSP) pour Ketron SD1<byte value="xd"/>
<byte value="xd"/>
V1.04    Version inachevée !!!<byte value="xd"/>
<byte value="xd"/>
TAMO est un logiciel libre sous la licence publique générale GNU, version 3 ou ultérieure (GPL-3.0-or-later). Il est fourni sans aucune garantie.</translation>
    </message>
    <message>
        <source>The file was modified.<byte value="xd"/>
<byte value="xd"/>
Do you want to save the modifications ?</source>
        <translation>Le fichier a été modifié.<byte value="xd"/>
<byte value="xd"/>
Voulez-vous enregistrer les modifications ?</translation>
    </message>
    <message>
        <source>MSP Editor</source>
        <translation>Éditeur MSP</translation>
    </message>
    <message>
        <source>Selectionner un ou plusieurs fichier(s) WAV</source>
        <translation>Sélectionner un ou plusieurs fichier(s) WAV</translation>
    </message>
    <message>
        <source>Wav Files (*.WAV)|*.WAV|Sound Files (*.WAV;*.FLAC;*.AIF;*.AIFF;*.OGG)|*.WAV;*.FLAC;*.AIF;*.AIFF;*.OGG</source>
        <translation>Fichiers WAV (*.WAV)|*.WAV|Fichiers son (*.WAV;*.FLAC;*.AIF;*.AIFF;*.OGG)|*.WAV;*.FLAC;*.AIF;*.AIFF;*.OGG</translation>
    </message>
    <message>
        <source>The files &quot;%1&quot; and &quot;%2&quot; have the same short name %3 in their folder, so the sample cannot find its file.<byte value="xd"/>
Rename one of them !</source>
        <translation>Les fichiers « %1 » et « %2 » ont le même nom court %3 dans leur dossier : l&apos;échantillon ne peut pas trouver son fichier.<byte value="xd"/>
Renommez l&apos;un d&apos;eux !</translation>
    </message>
    <message>
        <source>You can use only 64 Wav files in a Msp!</source>
        <translation>Un MSP ne peut utiliser que 64 fichiers WAV !</translation>
    </message>
    <message>
        <source>Put back: %1</source>
        <translation>Remis : %1</translation>
    </message>
    <message>
        <source>%1 wrote %2</source>
        <translation>%1 a écrit %2</translation>
    </message>
    <message>
        <source>[*]   MSP Editor for KETRON SD1</source>
        <translation>[*]   Éditeur MSP pour KETRON SD1</translation>
    </message>
    <message>
        <source>%1[*] — MSP Editor for KETRON SD1</source>
        <translation>%1[*] — Éditeur MSP pour KETRON SD1</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1 : %2</translation>
    </message>
    <message>
        <source>Not added, no sound can be read from them:<byte value="xd"/>
%1</source>
        <translation>Non ajoutés, aucun son ne peut y être lu :<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>%1: the set keeps the loop of %2 (not in the keyboard&apos;s format, the file stays as it is)</source>
        <translation>%1 : le jeu garde la boucle de %2 (pas au format du clavier, le fichier reste tel quel)</translation>
    </message>
    <message>
        <source>No sample of the set plays &quot;%1&quot;, so the set cannot keep its loop. Nothing was changed.</source>
        <translation>Aucun échantillon du jeu ne joue « %1 », le jeu ne peut donc pas garder sa boucle. Rien n&apos;a été modifié.</translation>
    </message>
</context>
<context>
    <name>tamo::msp_editor::MspForm</name>
    <message>
        <source>0 SAMPLES</source>
        <translation>0 ÉCHANTILLON</translation>
    </message>
    <message>
        <source>Samples</source>
        <translation>Échantillons</translation>
    </message>
    <message>
        <source>Add Wav Sample</source>
        <translation>Ajouter un échantillon WAV</translation>
    </message>
    <message>
        <source>Remove Selected Sample</source>
        <translation>Retirer l&apos;échantillon choisi</translation>
    </message>
    <message>
        <source>Auto Play</source>
        <translation>Lecture auto</translation>
    </message>
    <message>
        <source>Global MSP settings</source>
        <translation>Réglages généraux du MSP</translation>
    </message>
    <message>
        <source>Sample settings</source>
        <translation>Réglages de l&apos;échantillon</translation>
    </message>
    <message>
        <source>EFFECTS</source>
        <translation>EFFETS</translation>
    </message>
    <message>
        <source>%1 SAMPLES</source>
        <translation>%1 ÉCHANTILLONS</translation>
    </message>
</context>
<context>
    <name>tamo::msp_editor::ParameterEditor</name>
    <message>
        <source>PITCH</source>
        <translation>HAUTEUR</translation>
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
        <translation>EFFETS</translation>
    </message>
</context>
<context>
    <name>tamo::msp_editor::PitchTools</name>
    <message>
        <source>being measured</source>
        <translation>en cours de mesure</translation>
    </message>
    <message>
        <source>Out of tune: %1 (KEY %2, FINE %3 would tune it)</source>
        <translation>Faux : %1 (KEY %2, FINE %3 le rendraient juste)</translation>
    </message>
    <message>
        <source>%1 (%2): %3; KEY %4, FINE %5</source>
        <translation>%1 (%2) : %3 ; KEY %4, FINE %5</translation>
    </message>
    <message>
        <source>Every sample with a held pitch plays within 50 cents of its root.</source>
        <translation>Chaque échantillon à hauteur tenue joue à moins de 50 cents de sa note fondamentale.</translation>
    </message>
    <message>
        <source>Check pitch</source>
        <translation>Vérifier la hauteur</translation>
    </message>
    <message>
        <source>These samples sound 50 cents or more from their root. KEY and FINE from the sound for those ticked:</source>
        <translation>Ces échantillons sonnent à 50 cents ou plus de leur note fondamentale. KEY et FINE d’après le son pour ceux cochés :</translation>
    </message>
</context>
<context>
    <name>tamo::msp_editor::PresetChooser</name>
    <message>
        <source>Filter</source>
        <translation>Filtrer</translation>
    </message>
    <message>
        <source>Bank</source>
        <translation>Banque</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Programme</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nom</translation>
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
        <translation>Curseur</translation>
    </message>
</context>
<context>
    <name>tamo::msp_editor::WavPanel</name>
    <message>
        <source>Taille du fichier - 8</source>
        <translation>Taille du fichier - 8</translation>
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
        <translation>1=non compressé</translation>
    </message>
    <message>
        <source>1=mono/2=stéréo</source>
        <translation>1=mono/2=stéréo</translation>
    </message>
    <message>
        <source>Freq.</source>
        <translation>Fréq.</translation>
    </message>
    <message>
        <source>Tx Transfert=F*NbrChan*Bit/8</source>
        <translation>Tx Transfert=F*NbrChan*Bit/8</translation>
    </message>
    <message>
        <source>Oct/sample=NbrChan*Bit/8</source>
        <translation>Oct/sample=NbrChan*Bit/8</translation>
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
        <translation>Taille données</translation>
    </message>
    <message>
        <source>Données Après DATA</source>
        <translation>Données Après DATA</translation>
    </message>
    <message>
        <source>Wavfile settings</source>
        <translation>Réglages WAV</translation>
    </message>
    <message>
        <source>Don&apos;t see this for now !! :)</source>
        <translation>Ne regardez pas ceci pour l&apos;instant !! :)</translation>
    </message>
    <message>
        <source>Données Avant DATA</source>
        <translation>Données Avant DATA</translation>
    </message>
    <message>
        <source>Taille du Fichier</source>
        <translation>Taille du Fichier</translation>
    </message>
    <message>
        <source>Ecrire les infos</source>
        <translation>Écrire les infos</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Écouter</translation>
    </message>
    <message>
        <source>Lire les infos</source>
        <translation>Lire les infos</translation>
    </message>
    <message>
        <source>dessiner</source>
        <translation>dessiner</translation>
    </message>
    <message>
        <source>CleanUp</source>
        <translation>Nettoyer</translation>
    </message>
    <message>
        <source>Command8</source>
        <translation>Command8</translation>
    </message>
    <message>
        <source>Ecrire une entete</source>
        <translation>Écrire une entête</translation>
    </message>
    <message>
        <source>creer bruit</source>
        <translation>Créer bruit</translation>
    </message>
    <message>
        <source>Only the first %1 of %2 bytes are shown</source>
        <translation>Seuls les %1 premiers octets sur %2 sont montrés</translation>
    </message>
    <message>
        <source>&quot;%1&quot; (Text%2)</source>
        <translation>« %1 » (Text%2)</translation>
    </message>
    <message>
        <source>%1 must be a whole number from %2 to %3. Nothing was written.</source>
        <translation>%1 doit être un nombre entier de %2 à %3. Rien n&apos;a été écrit.</translation>
    </message>
    <message>
        <source>%1 would place the bytes after the data before the start of the file. Nothing was written.</source>
        <translation>%1 placerait les octets après les données avant le début du fichier. Rien n&apos;a été écrit.</translation>
    </message>
    <message>
        <source>The header could not be written to &quot;%1&quot;: %2. The file was left as it was.</source>
        <translation>L&apos;en-tête n&apos;a pas pu être écrit dans « %1 » : %2. Le fichier est resté tel quel.</translation>
    </message>
    <message>
        <source>The header could not be written to &quot;%1&quot;: %2. Its old bytes could not all be put back: the panel now shows the file as it is.</source>
        <translation>L&apos;en-tête n&apos;a pas pu être écrit dans « %1 » : %2. Ses anciens octets n&apos;ont pas tous pu être remis : le panneau montre maintenant le fichier tel qu&apos;il est.</translation>
    </message>
    <message>
        <source>The panel does not show &quot;%1&quot;. Nothing was written: select its sample again first.</source>
        <translation>Le panneau ne montre pas « %1 ». Rien n&apos;a été écrit : sélectionnez d&apos;abord à nouveau son échantillon.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has changed since the panel read it (its size or modification time differ). Nothing was written: select its sample again to see it as it is now.</source>
        <translation>« %1 » a changé depuis que le panneau l&apos;a lu (sa taille ou sa date de modification diffèrent). Rien n&apos;a été écrit : sélectionnez à nouveau son échantillon pour le voir tel qu&apos;il est maintenant.</translation>
    </message>
    <message>
        <source>Bad file size</source>
        <translation>Taille de fichier incorrecte</translation>
    </message>
    <message>
        <source>Data not found</source>
        <translation>Données introuvables</translation>
    </message>
    <message>
        <source>Wrong Data Size</source>
        <translation>Taille des données incorrecte</translation>
    </message>
    <message>
        <source>CleanUp cannot make a file other programs can read of &quot;%1&quot;: %2. The file was left as it was.</source>
        <translation>Nettoyer ne peut pas faire de « %1 » un fichier que les autres programmes lisent : %2. Le fichier est resté tel quel.</translation>
    </message>
    <message>
        <source>CleanUp could not rewrite &quot;%1&quot;: %2. The file was left as it was.</source>
        <translation>Nettoyer n&apos;a pas pu réécrire « %1 » : %2. Le fichier est resté tel quel.</translation>
    </message>
    <message>
        <source>The noise file &quot;%1&quot; could not be written: %2</source>
        <translation>Le fichier de bruit « %1 » n&apos;a pas pu être écrit : %2</translation>
    </message>
    <message>
        <source>The header could not be written to &quot;%1&quot;: %2</source>
        <translation>L&apos;en-tête n&apos;a pas pu être écrit dans « %1 » : %2</translation>
    </message>
    <message>
        <source>Command8 could not copy &quot;%1&quot; to &quot;%2&quot;: %3</source>
        <translation>Command8 n&apos;a pas pu copier « %1 » vers « %2 » : %3</translation>
    </message>
    <message>
        <source>No audio output was found: nothing can be played.</source>
        <translation>Aucune sortie audio trouvée : rien ne peut être joué.</translation>
    </message>
    <message>
        <source>Loop start</source>
        <translation>Début de boucle</translation>
    </message>
    <message>
        <source>The first frame of the loop</source>
        <translation>La première trame de la boucle</translation>
    </message>
    <message>
        <source>Loop end</source>
        <translation>Fin de boucle</translation>
    </message>
    <message>
        <source>The first frame after the loop: it plays on from the loop start</source>
        <translation>La première trame après la boucle : la lecture reprend au début de la boucle</translation>
    </message>
    <message>
        <source>Set loop</source>
        <translation>Poser la boucle</translation>
    </message>
    <message>
        <source>Snap to zero crossing</source>
        <translation>Caler sur un passage à zéro</translation>
    </message>
    <message>
        <source>Remove loop</source>
        <translation>Supprimer la boucle</translation>
    </message>
    <message numerus="yes">
        <source>A loop needs a start and an end in whole frames, the start from 0 and before the end, the end at most the file&apos;s %n frame(s). Nothing was written.</source>
        <translation>
            <numerusform>Une boucle demande un début et une fin en trames entières, le début à partir de 0 et avant la fin, la fin au plus égale à la longueur du fichier, %n trame. Rien n&apos;a été écrit.</numerusform>
            <numerusform>Une boucle demande un début et une fin en trames entières, le début à partir de 0 et avant la fin, la fin au plus égale à la longueur du fichier, %n trames. Rien n&apos;a été écrit.</numerusform>
        </translation>
    </message>
    <message>
        <source>No rising zero crossing lies near both ends of the loop. Nothing was written.</source>
        <translation>Aucun passage à zéro montant ne se trouve près des deux bouts de la boucle. Rien n&apos;a été écrit.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has no loop.</source>
        <translation>« %1 » n&apos;a pas de boucle.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not in the keyboard&apos;s format (%2), so its loop cannot be written into it. Nothing was written.</source>
        <translation>« %1 » n&apos;est pas au format du clavier (%2) : sa boucle ne peut pas y être écrite. Rien n&apos;a été écrit.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be written: %2. The file was left as it was.</source>
        <translation>« %1 » n&apos;a pas pu être écrit : %2. Le fichier est resté tel quel.</translation>
    </message>
    <message>
        <source>Writes the loop into the file&apos;s sampler chunk</source>
        <translation>Écrit la boucle dans le bloc « smpl » du fichier</translation>
    </message>
    <message>
        <source>The file is not in the keyboard&apos;s format and stays as it is: the set keeps the loop, and the export loops its copy</source>
        <translation>Le fichier n&apos;est pas au format du clavier et reste tel quel : le jeu garde la boucle, et l&apos;export boucle sa copie</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a WAV file: only a WAV file&apos;s header can be written or cleaned up. Nothing was written.</source>
        <translation>« %1 » n&apos;est pas un fichier WAV : seul l&apos;en-tête d&apos;un fichier WAV peut être écrit ou nettoyé. Rien n&apos;a été écrit.</translation>
    </message>
</context>
<context>
    <name>tamo::usd::DrumKitWindow</name>
    <message>
        <source>Ketron USerDrumkit Files (*.USD)|*.USD</source>
        <translation>Fichiers USerDrumkit Ketron (*.USD)|*.USD</translation>
    </message>
    <message>
        <source>USD Editor for KETRON SD1</source>
        <translation>Éditeur USD pour KETRON SD1</translation>
    </message>
    <message>
        <source>USD Editor</source>
        <translation>Éditeur USD</translation>
    </message>
    <message>
        <source>Recent in Kit &amp;1</source>
        <translation>Récents dans le kit &amp;1</translation>
    </message>
    <message>
        <source>Recent in Kit &amp;2</source>
        <translation>Récents dans le kit &amp;2</translation>
    </message>
    <message>
        <source>Open USD Kit 1</source>
        <translation>Ouvrir le kit USD 1</translation>
    </message>
    <message>
        <source>Open USD Kit 2</source>
        <translation>Ouvrir le kit USD 2</translation>
    </message>
    <message>
        <source>Save This File</source>
        <translation>Enregistrer ce fichier</translation>
    </message>
    <message>
        <source>Copy Kit</source>
        <translation>Copier le kit</translation>
    </message>
</context>
<context>
    <name>tamo::usv::UserVoiceWindow</name>
    <message>
        <source>Ketron USerVoice Files (*.USV)|*.USV</source>
        <translation>Fichiers USerVoice Ketron (*.USV)|*.USV</translation>
    </message>
    <message>
        <source>USV Editor for KETRON SD1</source>
        <translation>Éditeur USV pour KETRON SD1</translation>
    </message>
    <message>
        <source>USV Editor</source>
        <translation>Éditeur USV</translation>
    </message>
    <message>
        <source>Recent in USV &amp;1</source>
        <translation>Récents dans USV &amp;1</translation>
    </message>
    <message>
        <source>Recent in USV &amp;2</source>
        <translation>Récents dans USV &amp;2</translation>
    </message>
    <message>
        <source>Open USV 1</source>
        <translation>Ouvrir USV 1</translation>
    </message>
    <message>
        <source>Open USV 2</source>
        <translation>Ouvrir USV 2</translation>
    </message>
    <message>
        <source>Save This File</source>
        <translation>Enregistrer ce fichier</translation>
    </message>
    <message>
        <source>Copy Voice</source>
        <translation>Copier la voix</translation>
    </message>
    <message>
        <source>Copy Entry</source>
        <translation>Copier l&apos;entrée</translation>
    </message>
</context>
</TS>
