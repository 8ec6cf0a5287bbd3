<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr" sourcelanguage="en">
<context>
    <name>KZAlertPresenter</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>KZAppController</name>
    <message>
        <source>Adding Menu Item Failed</source>
        <translation>Échec de l&apos;ajout de Tarnwell Menu Item</translation>
    </message>
    <message>
        <source>Adding the Menu Item to login failed. If you have more than one copy of Tarnwell, please remove the others. Also, ensure Tarnwell is in the applications folder.</source>
        <translation>Tarnwell Menu Item n&apos;a pas pu être ajouté aux programmes lancés à la connexion. Si vous avez plusieurs copies de Tarnwell, supprimez les autres. Vérifiez aussi que Tarnwell est installé parmi les applications.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Show Tarnwell Menu Item in the tray</source>
        <translation>Afficher Tarnwell Menu Item dans la barre système</translation>
    </message>
    <message>
        <source>A small program in the tray that checks the drives on its own, also while this window is closed, and starts at every login.</source>
        <translation>Un petit programme de la barre système qui vérifie les disques de lui-même, même quand cette fenêtre est fermée, et démarre à chaque connexion.</translation>
    </message>
    <message>
        <source>Notify me when a drive gets worse</source>
        <translation>Me prévenir quand l&apos;état d&apos;un disque s&apos;aggrave</translation>
    </message>
    <message>
        <source>Check for a new version of Tarnwell at start</source>
        <translation>Chercher une nouvelle version de Tarnwell au démarrage</translation>
    </message>
    <message>
        <source>A new version of Tarnwell is available</source>
        <translation>Une nouvelle version de Tarnwell est disponible</translation>
    </message>
    <message>
        <source>Tarnwell %1 is available; you have %2. Install it with your system&apos;s package manager.</source>
        <translation>Tarnwell %1 est disponible&#xa0;; vous avez la version %2. Installez-la avec le gestionnaire de paquets de votre système.</translation>
    </message>
    <message>
        <source>Show Release Notes</source>
        <translation>Afficher les notes de version</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Plus tard</translation>
    </message>
    <message>
        <source>Drive &amp;Information</source>
        <translation>&amp;Informations sur le disque</translation>
    </message>
    <message>
        <source>&amp;Attributes</source>
        <translation>&amp;Attributs</translation>
    </message>
    <message>
        <source>&amp;Errors</source>
        <translation>&amp;Erreurs</translation>
    </message>
    <message>
        <source>Self-&amp;Tests</source>
        <translation>Au&amp;totests</translation>
    </message>
    <message>
        <source>&amp;Drives</source>
        <translation>&amp;Disques</translation>
    </message>
    <message>
        <source>Error writing file</source>
        <translation>Erreur d&apos;écriture du fichier</translation>
    </message>
    <message>
        <source>There was an error writing the file. Check the location to ensure you have write permissions.</source>
        <translation>Une erreur s&apos;est produite en écrivant le fichier. Vérifiez que vous avez le droit d&apos;écrire à cet emplacement.</translation>
    </message>
    <message>
        <source>There was an error writing the file. Please contact %1 for help.</source>
        <translation>Une erreur s&apos;est produite en écrivant le fichier. Écrivez à %1 pour obtenir de l&apos;aide.</translation>
    </message>
    <message>
        <source>TWDR report (*.twdr)</source>
        <translation>Rapport TWDR (*.twdr)</translation>
    </message>
    <message>
        <source>Plain text (*.txt)</source>
        <translation>Texte brut (*.txt)</translation>
    </message>
    <message>
        <source>The report was not saved</source>
        <translation>Le rapport n&apos;a pas été enregistré</translation>
    </message>
    <message>
        <source>Choose &quot;Plain text&quot; to save the drive&apos;s plain-text report instead.</source>
        <translation>Choisissez «&#xa0;Texte brut&#xa0;» pour enregistrer plutôt le rapport en texte brut du disque.</translation>
    </message>
    <message>
        <source>it does not exist</source>
        <translation>il n&apos;existe pas</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>c&apos;est un dossier</translation>
    </message>
    <message>
        <source>you are not allowed to read it</source>
        <translation>vous n&apos;avez pas le droit de le lire</translation>
    </message>
    <message>
        <source>Save drive report</source>
        <translation>Enregistrer le rapport du disque</translation>
    </message>
    <message>
        <source>Open drive report</source>
        <translation>Ouvrir un rapport de disque</translation>
    </message>
    <message>
        <source>TWDR reports (*.twdr)</source>
        <translation>Rapports TWDR (*.twdr)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>An Error Occurred</source>
        <translation>Une erreur s&apos;est produite</translation>
    </message>
    <message>
        <source>The file %1 cannot be opened: %2.</source>
        <translation>Le fichier %1 ne peut pas être ouvert&#xa0;: %2.</translation>
    </message>
    <message>
        <source>Error parsing drives</source>
        <translation>Erreur lors de l&apos;analyse des disques</translation>
    </message>
    <message>
        <source>Cannot parse drives. Please contact %1 for help.</source>
        <translation>Impossible d&apos;analyser les disques. Écrivez à %1 pour obtenir de l&apos;aide.</translation>
    </message>
    <message>
        <source>Warning: Self Tests in Progress!</source>
        <translation>Attention&#xa0;: autotests en cours&#xa0;!</translation>
    </message>
    <message>
        <source>Warning: One or more drives currently has a self test in progress but does not support scanning SMART information while running tests. Do you want to scan anyway, or skip those drives?</source>
        <translation>Attention&#xa0;: un ou plusieurs disques exécutent un autotest et ne peuvent pas être lus pendant ce temps. Voulez-vous les lire quand même, ou les ignorer&#xa0;?</translation>
    </message>
    <message>
        <source>Continue Scanning</source>
        <translation>Lire quand même</translation>
    </message>
    <message>
        <source>Skip Drives</source>
        <translation>Ignorer ces disques</translation>
    </message>
    <message>
        <source>Tarnwell - Current Drives (Last Update: %1)</source>
        <translation>Tarnwell - Disques actuels (dernière lecture&#xa0;: %1)</translation>
    </message>
    <message>
        <source>Scanning for drives...</source>
        <translation>Recherche des disques…</translation>
    </message>
    <message>
        <source>Reading S.M.A.R.T. data of every drive...</source>
        <translation>Lecture des données S.M.A.R.T. de chaque disque…</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>&amp;Ouvrir…</translation>
    </message>
    <message>
        <source>&amp;Save...</source>
        <translation>&amp;Enregistrer…</translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation>&amp;Imprimer…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;Rescan</source>
        <translation>&amp;Rechercher les disques</translation>
    </message>
    <message>
        <source>&amp;Update</source>
        <translation>&amp;Mettre à jour</translation>
    </message>
    <message>
        <source>Run smartctl with &amp;Options...</source>
        <translation>Lancer smartctl avec des &amp;options…</translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation>&amp;Réglages</translation>
    </message>
    <message>
        <source>&amp;Preferences...</source>
        <translation>&amp;Préférences…</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation>Fe&amp;nêtre</translation>
    </message>
    <message>
        <source>&amp;Log</source>
        <translation>&amp;Journal</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aide</translation>
    </message>
    <message>
        <source>Tarnwell &amp;Help</source>
        <translation>&amp;Aide de Tarnwell</translation>
    </message>
    <message>
        <source>Tarnwell &amp;Web Page</source>
        <translation>&amp;Site web de Tarnwell</translation>
    </message>
    <message>
        <source>&amp;About Tarnwell</source>
        <translation>À &amp;propos de Tarnwell</translation>
    </message>
    <message>
        <source>Log is empty.</source>
        <translation>Le journal est vide.</translation>
    </message>
    <message>
        <source>Log is Empty</source>
        <translation>Le journal est vide</translation>
    </message>
    <message>
        <source>Running smartctl on %1...</source>
        <translation>Exécution de smartctl sur %1…</translation>
    </message>
    <message>
        <source>About Tarnwell</source>
        <translation>À propos de Tarnwell</translation>
    </message>
    <message>
        <source>&lt;h3&gt;Tarnwell %1&lt;/h3&gt;&lt;p&gt;A disk-health monitor: it reads every disk&apos;s S.M.A.R.T. data with smartctl, judges each drive passed, failing or failed, and warns you by its icon, by e-mail and by a blink(1) LED before a dying disk dies.&lt;/p&gt;&lt;p&gt;&lt;a href=&quot;%2&quot;&gt;%2&lt;/a&gt;&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Tarnwell %1&lt;/h3&gt;&lt;p&gt;Un moniteur de santé des disques&#xa0;: il lit les données S.M.A.R.T. de chaque disque avec smartctl, juge chaque disque sain, défaillant ou en panne, et vous prévient par son icône, par courriel et par un voyant blink(1) avant qu&apos;un disque mourant ne lâche.&lt;/p&gt;&lt;p&gt;&lt;a href=&quot;%2&quot;&gt;%2&lt;/a&gt;&lt;/p&gt;</translation>
    </message>
    <message>
        <source>Your disks cannot be read</source>
        <translation>Vos disques ne peuvent pas être lus</translation>
    </message>
    <message>
        <source>&amp;History...</source>
        <translation>&amp;Historique…</translation>
    </message>
</context>
<context>
    <name>KZAttributesController</name>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Attribute</source>
        <translation>Attribut</translation>
    </message>
    <message>
        <source>Flag</source>
        <translation>Indicateur</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Valeur</translation>
    </message>
    <message>
        <source>Worst</source>
        <translation>Pire</translation>
    </message>
    <message>
        <source>Threshold</source>
        <translation>Seuil</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>Updated</source>
        <translation>Mise à jour</translation>
    </message>
    <message>
        <source>When Failed</source>
        <translation>Défaillance</translation>
    </message>
    <message>
        <source>Raw Value</source>
        <translation>Valeur brute</translation>
    </message>
    <message>
        <source>Min</source>
        <translation>Min</translation>
    </message>
    <message>
        <source>Max</source>
        <translation>Max</translation>
    </message>
    <message>
        <source>Attributes</source>
        <translation>Attributs</translation>
    </message>
    <message>
        <source>%1 Attributes</source>
        <translation>Attributs de %1</translation>
    </message>
</context>
<context>
    <name>KZDetailRows</name>
    <message numerus="yes">
        <source>%n minutes</source>
        <translation>
            <numerusform>%n minute</numerusform>
            <numerusform>%n minutes</numerusform>
        </translation>
    </message>
    <message>
        <source>None</source>
        <translation>Aucune</translation>
    </message>
    <message>
        <source>Never</source>
        <translation>Jamais</translation>
    </message>
    <message>
        <source>FAILING NOW</source>
        <translation>DÉFAILLANT</translation>
    </message>
    <message>
        <source>In the past</source>
        <translation>Par le passé</translation>
    </message>
    <message numerus="yes">
        <source>%n hours</source>
        <translation>
            <numerusform>%n heure</numerusform>
            <numerusform>%n heures</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 Drive information</source>
        <translation>Informations sur le disque %1</translation>
    </message>
    <message>
        <source>SATA Version:</source>
        <translation>Version SATA&#xa0;:</translation>
    </message>
    <message>
        <source>Saves SMART data automatically</source>
        <translation>Enregistre les données SMART automatiquement</translation>
    </message>
    <message>
        <source>Saves SMART data before entering power-saving mode</source>
        <translation>Enregistre les données SMART avant la mise en veille</translation>
    </message>
    <message>
        <source>SMART auto-save timer</source>
        <translation>Minuterie d&apos;enregistrement automatique SMART</translation>
    </message>
    <message>
        <source>Automatic offline data collection enabled</source>
        <translation>Collecte automatique hors ligne activée</translation>
    </message>
    <message>
        <source>Executes offline collection on request</source>
        <translation>Exécute la collecte hors ligne sur demande</translation>
    </message>
    <message>
        <source>Automatic timer for offline collection</source>
        <translation>Minuterie automatique de collecte hors ligne</translation>
    </message>
    <message>
        <source>Aborts offline collection on a new command</source>
        <translation>Interrompt la collecte hors ligne à une nouvelle commande</translation>
    </message>
    <message>
        <source>Offline surface scan</source>
        <translation>Analyse de surface hors ligne</translation>
    </message>
    <message>
        <source>Self-tests</source>
        <translation>Autotests</translation>
    </message>
    <message>
        <source>Selective self-tests</source>
        <translation>Autotests sélectifs</translation>
    </message>
    <message>
        <source>Conveyance self-tests</source>
        <translation>Autotests de transport</translation>
    </message>
    <message>
        <source>Error logging</source>
        <translation>Journal des erreurs</translation>
    </message>
    <message>
        <source>General purpose logging</source>
        <translation>Journalisation générale</translation>
    </message>
    <message numerus="yes">
        <source>%n seconds</source>
        <translation>
            <numerusform>%n seconde</numerusform>
            <numerusform>%n secondes</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>KZDriveBrowser</name>
    <message>
        <source>Drives</source>
        <translation>Disques</translation>
    </message>
</context>
<context>
    <name>KZDriveInfoController</name>
    <message>
        <source>Identity</source>
        <translation>Identité</translation>
    </message>
    <message>
        <source>Model Family:</source>
        <translation>Famille&#xa0;:</translation>
    </message>
    <message>
        <source>Model:</source>
        <translation>Modèle&#xa0;:</translation>
    </message>
    <message>
        <source>Serial Number:</source>
        <translation>Numéro de série&#xa0;:</translation>
    </message>
    <message>
        <source>Firmware Version:</source>
        <translation>Micrologiciel&#xa0;:</translation>
    </message>
    <message>
        <source>Capacity:</source>
        <translation>Capacité&#xa0;:</translation>
    </message>
    <message>
        <source>ATA Version:</source>
        <translation>Version ATA&#xa0;:</translation>
    </message>
    <message>
        <source>Rotation Rate:</source>
        <translation>Vitesse de rotation&#xa0;:</translation>
    </message>
    <message>
        <source>S.M.A.R.T. Data</source>
        <translation>Données S.M.A.R.T.</translation>
    </message>
    <message>
        <source>Logging</source>
        <translation>Journaux</translation>
    </message>
    <message>
        <source>Offline Data Collection</source>
        <translation>Collecte de données hors ligne</translation>
    </message>
    <message>
        <source>Self-Tests</source>
        <translation>Autotests</translation>
    </message>
    <message>
        <source>Last Collection:</source>
        <translation>Dernière collecte&#xa0;:</translation>
    </message>
    <message>
        <source>Collection Time:</source>
        <translation>Durée de collecte&#xa0;:</translation>
    </message>
    <message>
        <source>Short Test:</source>
        <translation>Test court&#xa0;:</translation>
    </message>
    <message>
        <source>Extended Test:</source>
        <translation>Test étendu&#xa0;:</translation>
    </message>
    <message>
        <source>Conveyance Test:</source>
        <translation>Test de transport&#xa0;:</translation>
    </message>
    <message>
        <source>Last self-test:</source>
        <translation>Dernier autotest&#xa0;:</translation>
    </message>
</context>
<context>
    <name>KZDriveOutlineModel</name>
    <message>
        <source>Drives</source>
        <translation>Disques</translation>
    </message>
</context>
<context>
    <name>KZDriveStatus</name>
    <message>
        <source>FAILED</source>
        <translation>EN PANNE</translation>
    </message>
    <message>
        <source>FAILING</source>
        <translation>DÉFAILLANT</translation>
    </message>
    <message>
        <source>UNKNOWN</source>
        <translation>INCONNU</translation>
    </message>
    <message>
        <source>TESTING</source>
        <translation>EN TEST</translation>
    </message>
    <message>
        <source>UNSUPPORTED</source>
        <translation>NON PRIS EN CHARGE</translation>
    </message>
    <message>
        <source>PASSED</source>
        <translation>SAIN</translation>
    </message>
    <message>
        <source>%1 with partitions </source>
        <translation>%1 avec les partitions </translation>
    </message>
    <message>
        <source>, </source>
        <translation>, </translation>
    </message>
    <message>
        <source>, and </source>
        <translation> et </translation>
    </message>
    <message>
        <source>NO DRIVES</source>
        <translation>AUCUN DISQUE</translation>
    </message>
    <message>
        <source>SLEEPING</source>
        <translation>EN VEILLE</translation>
    </message>
</context>
<context>
    <name>KZDriveSummary</name>
    <message>
        <source>Not found</source>
        <translation>Introuvable</translation>
    </message>
    <message>
        <source>Show All</source>
        <translation>Tout afficher</translation>
    </message>
    <message>
        <source>More Info</source>
        <translation>Détails</translation>
    </message>
    <message>
        <source>Temperature (F):</source>
        <translation>Température (F)&#xa0;:</translation>
    </message>
    <message>
        <source>Temperature (Celsius):</source>
        <translation>Température (Celsius)&#xa0;:</translation>
    </message>
    <message>
        <source>READING</source>
        <translation>LECTURE</translation>
    </message>
    <message>
        <source>Tarnwell is reading the drives. This takes a moment for each disk, longer for one that is asleep.</source>
        <translation>Tarnwell lit les disques. Cela prend un instant pour chacun, davantage pour un disque en veille.</translation>
    </message>
    <message>
        <source>No disk was found on this computer.</source>
        <translation>Aucun disque n&apos;a été trouvé sur cet ordinateur.</translation>
    </message>
    <message numerus="yes">
        <source>%n disks found, none with S.M.A.R.T. data: %1.</source>
        <translation>
            <numerusform>%n disque trouvé, sans données S.M.A.R.T.&#xa0;: %1.</numerusform>
            <numerusform>%n disques trouvés, aucun avec des données S.M.A.R.T.&#xa0;: %1.</numerusform>
        </translation>
    </message>
    <message>
        <source>Virtual disks and card readers have none; a disk behind a USB bridge that smartctl does not know may have it. To list such disks anyway, turn on &quot;Also list drives without S.M.A.R.T. support&quot; in the preferences.</source>
        <translation>Les disques virtuels et les lecteurs de cartes n&apos;en ont pas&#xa0;; un disque derrière un adaptateur USB que smartctl ne connaît pas peut en avoir. Pour afficher quand même ces disques, cochez «&#xa0;Lister aussi les disques sans S.M.A.R.T.&#xa0;» dans les préférences.</translation>
    </message>
    <message>
        <source>; </source>
        <translation>&#xa0;; </translation>
    </message>
    <message>
        <source>The disk was asleep (%1) and was left asleep; it has not been read yet.</source>
        <translation>Le disque était en veille (%1) et y a été laissé&#xa0;; il n&apos;a pas encore été lu.</translation>
    </message>
    <message>
        <source>The disk was asleep (%1) and was left asleep. These are the values of its last read, %2.</source>
        <translation>Le disque était en veille (%1) et y a été laissé. Voici les valeurs de sa dernière lecture, %2.</translation>
    </message>
</context>
<context>
    <name>KZEmailOptionsDialog</name>
    <message>
        <source>E-mail Options</source>
        <translation>Options de courriel</translation>
    </message>
    <message>
        <source>Tarnwell sends its alerts through this mail server.</source>
        <translation>Tarnwell envoie ses alertes par ce serveur de courriel.</translation>
    </message>
    <message>
        <source>From address:</source>
        <translation>Adresse de l&apos;expéditeur&#xa0;:</translation>
    </message>
    <message>
        <source>To address:</source>
        <translation>Adresse du destinataire&#xa0;:</translation>
    </message>
    <message>
        <source>SMTP server:</source>
        <translation>Serveur SMTP&#xa0;:</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Port:</source>
        <translation>Port&#xa0;:</translation>
    </message>
    <message>
        <source>Use TLS (STARTTLS)</source>
        <translation>Utiliser TLS (STARTTLS)</translation>
    </message>
    <message>
        <source>The server requires a user name and password</source>
        <translation>Le serveur demande un nom d&apos;utilisateur et un mot de passe</translation>
    </message>
    <message>
        <source>User name:</source>
        <translation>Nom d&apos;utilisateur&#xa0;:</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Mot de passe</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Mot de passe&#xa0;:</translation>
    </message>
    <message>
        <source>Computer name in subjects:</source>
        <translation>Nom de l&apos;ordinateur dans les objets&#xa0;:</translation>
    </message>
    <message>
        <source>The password is kept in your keyring, never in the settings.</source>
        <translation>Le mot de passe est gardé dans votre trousseau, jamais dans les réglages.</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Terminé</translation>
    </message>
</context>
<context>
    <name>KZErrorsController</name>
    <message>
        <source>Number</source>
        <translation>Numéro</translation>
    </message>
    <message>
        <source>Occurred At</source>
        <translation>Survenue à</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Erreur</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>Commande</translation>
    </message>
    <message>
        <source>Errors</source>
        <translation>Erreurs</translation>
    </message>
    <message>
        <source>%1 Errors</source>
        <translation>Erreurs de %1</translation>
    </message>
    <message numerus="yes">
        <source>Errors logged by the drive: %n (its log keeps the five most recent).</source>
        <translation>
            <numerusform>Erreurs consignées par le disque&#xa0;: %n (son journal garde les cinq plus récentes).</numerusform>
            <numerusform>Erreurs consignées par le disque&#xa0;: %n (son journal garde les cinq plus récentes).</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>KZHealthHistory</name>
    <message>
        <source>%1: FAILED</source>
        <translation>%1&#xa0;: EN PANNE</translation>
    </message>
    <message>
        <source>%1: FAILING</source>
        <translation>%1&#xa0;: DÉFAILLANT</translation>
    </message>
    <message>
        <source>The drive was %1 at the previous check. Back up its data now.</source>
        <translation>Le disque était %1 à la vérification précédente. Sauvegardez ses données maintenant.</translation>
    </message>
</context>
<context>
    <name>KZHelpWindow</name>
    <message>
        <source>Tarnwell Help</source>
        <translation>Aide de Tarnwell</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Précédent</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Suivant</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Sommaire</translation>
    </message>
    <message>
        <source>Help page</source>
        <translation>Page d&apos;aide</translation>
    </message>
</context>
<context>
    <name>KZHistoryController</name>
    <message>
        <source>&amp;Range:</source>
        <translation>&amp;Période&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Attribute:</source>
        <translation>&amp;Attribut&#xa0;:</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Valeur</translation>
    </message>
    <message>
        <source>Raw value</source>
        <translation>Valeur brute</translation>
    </message>
    <message>
        <source>&amp;Plot:</source>
        <translation>&amp;Tracer&#xa0;:</translation>
    </message>
    <message>
        <source>Temperature (°C)</source>
        <translation>Température (°C)</translation>
    </message>
    <message>
        <source>Temperature chart</source>
        <translation>Graphique de la température</translation>
    </message>
    <message>
        <source>Bad sectors and interface errors</source>
        <translation>Secteurs défectueux et erreurs d&apos;interface</translation>
    </message>
    <message>
        <source>Bad sectors chart</source>
        <translation>Graphique des secteurs défectueux</translation>
    </message>
    <message>
        <source>Attribute</source>
        <translation>Attribut</translation>
    </message>
    <message>
        <source>Attribute chart</source>
        <translation>Graphique de l&apos;attribut</translation>
    </message>
    <message>
        <source>Recorded checks</source>
        <translation>Vérifications enregistrées</translation>
    </message>
    <message>
        <source>%1 History</source>
        <translation>Historique de %1</translation>
    </message>
    <message>
        <source>Reading the history...</source>
        <translation>Lecture de l&apos;historique…</translation>
    </message>
    <message>
        <source>The history of checks is switched off in the preferences.</source>
        <translation>L&apos;historique des vérifications est désactivé dans les préférences.</translation>
    </message>
    <message>
        <source>The history could not be read: %1</source>
        <translation>Impossible de lire l&apos;historique&#xa0;: %1</translation>
    </message>
    <message>
        <source>No checks of this drive are recorded in this range.</source>
        <translation>Aucune vérification de ce disque n&apos;est enregistrée sur cette période.</translation>
    </message>
    <message>
        <source>Attribute %1 (raw value)</source>
        <translation>Attribut %1 (valeur brute)</translation>
    </message>
    <message>
        <source>Attribute %1 (value)</source>
        <translation>Attribut %1 (valeur)</translation>
    </message>
    <message numerus="yes">
        <source>%n checks</source>
        <translation>
            <numerusform>%n vérification</numerusform>
            <numerusform>%n vérifications</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>KZHistorySeries</name>
    <message>
        <source>Last week</source>
        <translation>Dernière semaine</translation>
    </message>
    <message>
        <source>Last month</source>
        <translation>Dernier mois</translation>
    </message>
    <message>
        <source>Last year</source>
        <translation>Dernière année</translation>
    </message>
    <message>
        <source>All checks</source>
        <translation>Toutes les vérifications</translation>
    </message>
    <message>
        <source>Temperature (°C)</source>
        <translation>Température (°C)</translation>
    </message>
    <message>
        <source>Reallocated</source>
        <translation>Réalloués</translation>
    </message>
    <message>
        <source>Pending</source>
        <translation>En attente</translation>
    </message>
    <message>
        <source>Offline uncorrectable</source>
        <translation>Non corrigibles hors ligne</translation>
    </message>
    <message>
        <source>Interface CRC errors</source>
        <translation>Erreurs CRC d&apos;interface</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Valeur</translation>
    </message>
    <message>
        <source>Raw value</source>
        <translation>Valeur brute</translation>
    </message>
    <message>
        <source> (the day&apos;s summary)</source>
        <translation> (résumé de la journée)</translation>
    </message>
    <message>
        <source>Status: %1</source>
        <translation>État&#xa0;: %1</translation>
    </message>
    <message>
        <source>The drive could not be read.</source>
        <translation>Le disque n&apos;a pas pu être lu.</translation>
    </message>
    <message>
        <source>Temperature: %1 °C</source>
        <translation>Température&#xa0;: %1 °C</translation>
    </message>
    <message>
        <source>Reallocated: %1, pending: %2, offline uncorrectable: %3</source>
        <translation>Réalloués&#xa0;: %1, en attente&#xa0;: %2, non corrigibles hors ligne&#xa0;: %3</translation>
    </message>
    <message>
        <source>Interface CRC errors: %1, error log: %2</source>
        <translation>Erreurs CRC d&apos;interface&#xa0;: %1, journal d&apos;erreurs&#xa0;: %2</translation>
    </message>
    <message>
        <source>Attribute %1</source>
        <translation>Attribut %1</translation>
    </message>
    <message>
        <source>%1: value %2, worst %3, raw %4</source>
        <translation>%1&#xa0;: valeur %2, pire %3, brute %4</translation>
    </message>
    <message>
        <source>%1: not read</source>
        <translation>%1&#xa0;: non lu</translation>
    </message>
    <message numerus="yes">
        <source>no change in %n days</source>
        <translation>
            <numerusform>aucun changement en %n jour</numerusform>
            <numerusform>aucun changement en %n jours</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 in %n days</source>
        <translation>
            <numerusform>%1 en %n jour</numerusform>
            <numerusform>%1 en %n jours</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>KZHistoryTableModel</name>
    <message>
        <source> (day)</source>
        <translation> (jour)</translation>
    </message>
    <message>
        <source>Checked</source>
        <translation>Vérifié le</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>État</translation>
    </message>
    <message>
        <source>Reallocated</source>
        <translation>Réalloués</translation>
    </message>
    <message>
        <source>Pending</source>
        <translation>En attente</translation>
    </message>
    <message>
        <source>Offline
Uncorrectable</source>
        <translation>Non corrigibles
hors ligne</translation>
    </message>
    <message>
        <source>CRC
Errors</source>
        <translation>Erreurs
CRC</translation>
    </message>
    <message>
        <source>Temperature
(°C)</source>
        <translation>Température
(°C)</translation>
    </message>
    <message>
        <source>Power On
Hours</source>
        <translation>Heures de
fonctionnement</translation>
    </message>
    <message>
        <source>Error
Log</source>
        <translation>Journal
d&apos;erreurs</translation>
    </message>
    <message>
        <source>Attribute %1</source>
        <translation>Attribut %1</translation>
    </message>
    <message>
        <source>%1
(raw)</source>
        <translation>%1
(brute)</translation>
    </message>
    <message>
        <source>%1
(value)</source>
        <translation>%1
(valeur)</translation>
    </message>
    <message>
        <source>Last Self-Test</source>
        <translation>Dernier autotest</translation>
    </message>
</context>
<context>
    <name>KZLogWindow</name>
    <message>
        <source>Tarnwell Log</source>
        <translation>Journal de Tarnwell</translation>
    </message>
    <message>
        <source>Log:</source>
        <translation>Journal&#xa0;:</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>Journal</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Vider</translation>
    </message>
    <message>
        <source>Empty the log file</source>
        <translation>Vider le fichier journal</translation>
    </message>
</context>
<context>
    <name>KZMailSender</name>
    <message>
        <source>Email sent successfully.</source>
        <translation>Courriel envoyé.</translation>
    </message>
    <message>
        <source>Send failed: %1</source>
        <translation>Échec de l&apos;envoi&#xa0;: %1</translation>
    </message>
</context>
<context>
    <name>KZMainWindow</name>
    <message>
        <source>Tarnwell - Current Drives</source>
        <translation>Tarnwell - Disques actuels</translation>
    </message>
</context>
<context>
    <name>KZMenuItemMenu</name>
    <message>
        <source>Rescan For Drives</source>
        <translation>Rechercher les disques</translation>
    </message>
    <message>
        <source>Update Drives</source>
        <translation>Mettre à jour les disques</translation>
    </message>
    <message>
        <source>Launch Tarnwell</source>
        <translation>Ouvrir Tarnwell</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Overall Status: could not be read!</source>
        <translation>État général&#xa0;: lecture impossible&#xa0;!</translation>
    </message>
    <message>
        <source>Overall Status: Unsupported</source>
        <translation>État général&#xa0;: non pris en charge</translation>
    </message>
    <message>
        <source>Overall Status: FAILING!</source>
        <translation>État général&#xa0;: DÉFAILLANT&#xa0;!</translation>
    </message>
    <message>
        <source>Overall Status: FAILED!</source>
        <translation>État général&#xa0;: EN PANNE&#xa0;!</translation>
    </message>
    <message>
        <source>Overall Status: Passed</source>
        <translation>État général&#xa0;: sain</translation>
    </message>
    <message>
        <source>Last Updated: %1</source>
        <translation>Dernière lecture&#xa0;: %1</translation>
    </message>
    <message>
        <source>Error Scanning for Drives</source>
        <translation>Erreur lors de la recherche des disques</translation>
    </message>
    <message>
        <source>No drives found</source>
        <translation>Aucun disque trouvé</translation>
    </message>
    <message>
        <source>An update is available</source>
        <translation>Une mise à jour est disponible</translation>
    </message>
    <message>
        <source>Overall Status: SLEEPING</source>
        <translation>État général&#xa0;: EN VEILLE</translation>
    </message>
    <message>
        <source>Values of the read at %1</source>
        <translation>Valeurs de la lecture du %1</translation>
    </message>
</context>
<context>
    <name>KZMonitor</name>
    <message>
        <source>Tarnwell cannot read your disks: smartctl needs root to read them, and the helper that lets a normal user read them is not installed (this Tarnwell looks for it at %1).

Install the Tarnwell package, which puts the helper in place, and start the installed Tarnwell:
    sudo apt install ./build/tarnwell_%2_amd64.deb
(./scripts/package.sh builds the package from the checkout.)</source>
        <translation>Tarnwell ne peut pas lire vos disques&#xa0;: smartctl a besoin des droits root pour les lire, et l&apos;assistant qui permet à un utilisateur ordinaire de les lire n&apos;est pas installé (ce Tarnwell le cherche dans %1).

Installez le paquet Tarnwell, qui met l&apos;assistant en place, puis lancez le Tarnwell installé&#xa0;:
    sudo apt install ./build/tarnwell_%2_amd64.deb
(./scripts/package.sh construit le paquet à partir du dépôt.)</translation>
    </message>
</context>
<context>
    <name>KZOptionsWindow</name>
    <message>
        <source>Run smartctl with Options</source>
        <translation>Lancer smartctl avec des options</translation>
    </message>
    <message>
        <source>Runs smartctl with these options on the chosen drive. Its output is written to the log (Window &gt; Log).</source>
        <translation>Lance smartctl avec ces options sur le disque choisi. Sa sortie est écrite dans le journal (Fenêtre &gt; Journal).</translation>
    </message>
    <message>
        <source>smartctl options</source>
        <translation>Options de smartctl</translation>
    </message>
    <message>
        <source>smartctl options:</source>
        <translation>Options de smartctl&#xa0;:</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Disque</translation>
    </message>
    <message>
        <source>Drive:</source>
        <translation>Disque&#xa0;:</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>Lancer</translation>
    </message>
</context>
<context>
    <name>KZPreferencesWindow</name>
    <message>
        <source>Tarnwell Preferences</source>
        <translation>Préférences de Tarnwell</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Général</translation>
    </message>
    <message>
        <source>Checks</source>
        <translation>Vérifications</translation>
    </message>
    <message>
        <source>Alerts</source>
        <translation>Alertes</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Réinitialiser</translation>
    </message>
    <message>
        <source>Restore the default display, check and timer settings (e-mail and blink(1) settings are kept)</source>
        <translation>Rétablir les réglages par défaut d&apos;affichage, de vérification et de minuterie (les réglages de courriel et de blink(1) sont conservés)</translation>
    </message>
    <message>
        <source>Drive list</source>
        <translation>Liste des disques</translation>
    </message>
    <message>
        <source>Show each drive&apos;s volumes in the list</source>
        <translation>Montrer les volumes de chaque disque dans la liste</translation>
    </message>
    <message>
        <source>Also list drives without S.M.A.R.T. support</source>
        <translation>Lister aussi les disques sans S.M.A.R.T.</translation>
    </message>
    <message>
        <source>Show temperatures in degrees Fahrenheit</source>
        <translation>Afficher les températures en degrés Fahrenheit</translation>
    </message>
    <message>
        <source>Checks on a timer</source>
        <translation>Vérifications programmées</translation>
    </message>
    <message>
        <source>Check all drives every</source>
        <translation>Vérifier tous les disques toutes les</translation>
    </message>
    <message>
        <source>Check all drives on a timer</source>
        <translation>Vérifier tous les disques à intervalles réguliers</translation>
    </message>
    <message>
        <source>Hours between checks</source>
        <translation>Heures entre deux vérifications</translation>
    </message>
    <message>
        <source>A new interval takes effect when the timer next starts.</source>
        <translation>Un nouvel intervalle prend effet au prochain démarrage de la minuterie.</translation>
    </message>
    <message>
        <source>Troubleshooting</source>
        <translation>Dépannage</translation>
    </message>
    <message>
        <source>Write debug messages to the log</source>
        <translation>Écrire les messages de débogage dans le journal</translation>
    </message>
    <message>
        <source>Tray monitor and notifications</source>
        <translation>Moniteur de la barre système et notifications</translation>
    </message>
    <message>
        <source>Attributes</source>
        <translation>Attributs</translation>
    </message>
    <message>
        <source>Never count attribute 190 (airflow temperature) as failing</source>
        <translation>Ne jamais compter l&apos;attribut 190 (température du flux d&apos;air) comme défaillant</translation>
    </message>
    <message>
        <source>Never count attribute 196 (reallocation events) as failing</source>
        <translation>Ne jamais compter l&apos;attribut 196 (événements de réallocation) comme défaillant</translation>
    </message>
    <message>
        <source>Limits</source>
        <translation>Limites</translation>
    </message>
    <message>
        <source>Use my own limit for bad sectors (otherwise any bad sector counts)</source>
        <translation>Utiliser ma propre limite de secteurs défectueux (sinon, le moindre secteur compte)</translation>
    </message>
    <message>
        <source>Bad sectors allowed (0 to 1000):</source>
        <translation>Secteurs défectueux admis (0 à 1000)&#xa0;:</translation>
    </message>
    <message>
        <source>Use my own limit for logged errors (otherwise 50)</source>
        <translation>Utiliser ma propre limite d&apos;erreurs consignées (sinon 50)</translation>
    </message>
    <message>
        <source>Errors allowed (0 to 1000):</source>
        <translation>Erreurs admises (0 à 1000)&#xa0;:</translation>
    </message>
    <message>
        <source>Only new problems</source>
        <translation>Seulement les nouveaux problèmes</translation>
    </message>
    <message>
        <source>Bad sectors above the limit count only when their number grew</source>
        <translation>Les secteurs défectueux au-delà de la limite ne comptent que si leur nombre a augmenté</translation>
    </message>
    <message>
        <source>Errors above the limit count only when their number grew</source>
        <translation>Les erreurs au-delà de la limite ne comptent que si leur nombre a augmenté</translation>
    </message>
    <message>
        <source>A failed self-test counts only when it is new since the last check</source>
        <translation>Un autotest échoué ne compte que s&apos;il est nouveau depuis la dernière vérification</translation>
    </message>
    <message>
        <source>E-mail me when</source>
        <translation>M&apos;envoyer un courriel quand</translation>
    </message>
    <message>
        <source>a check finds a drive passed</source>
        <translation>une vérification trouve un disque sain</translation>
    </message>
    <message>
        <source>a check finds a drive failing</source>
        <translation>une vérification trouve un disque défaillant</translation>
    </message>
    <message>
        <source>a check finds a drive failed</source>
        <translation>une vérification trouve un disque en panne</translation>
    </message>
    <message>
        <source>a self-test has completed</source>
        <translation>un autotest est terminé</translation>
    </message>
    <message>
        <source>E-mail me when %1</source>
        <translation>M&apos;envoyer un courriel quand %1</translation>
    </message>
    <message>
        <source>E-mail Options...</source>
        <translation>Options de courriel…</translation>
    </message>
    <message>
        <source>Send Test E-mail</source>
        <translation>Envoyer un courriel d&apos;essai</translation>
    </message>
    <message>
        <source>Light the blink(1) LED when</source>
        <translation>Allumer le voyant blink(1) quand</translation>
    </message>
    <message>
        <source>all drives passed (green)</source>
        <translation>tous les disques sont sains (vert)</translation>
    </message>
    <message>
        <source>a drive is failing (yellow)</source>
        <translation>un disque est défaillant (jaune)</translation>
    </message>
    <message>
        <source>a drive failed (red)</source>
        <translation>un disque est en panne (rouge)</translation>
    </message>
    <message>
        <source>a self-test has completed (blue)</source>
        <translation>un autotest est terminé (bleu)</translation>
    </message>
    <message>
        <source>Light the blink(1) LED when %1</source>
        <translation>Allumer le voyant blink(1) quand %1</translation>
    </message>
    <message>
        <source>blink1-tool was not found at %1.</source>
        <translation>blink1-tool est introuvable à l&apos;emplacement %1.</translation>
    </message>
    <message>
        <source>Prometheus</source>
        <translation>Prometheus</translation>
    </message>
    <message>
        <source>Not written</source>
        <translation>Non écrit</translation>
    </message>
    <message>
        <source>Write the verdicts after each check to:</source>
        <translation>Écrire les verdicts après chaque vérification dans&#xa0;:</translation>
    </message>
    <message>
        <source>A file such as /var/lib/prometheus/node-exporter/tarnwell.prom, read by node_exporter&apos;s textfile collector.</source>
        <translation>Un fichier comme /var/lib/prometheus/node-exporter/tarnwell.prom, lu par le collecteur «&#xa0;textfile&#xa0;» de node_exporter.</translation>
    </message>
    <message numerus="yes">
        <source> hours</source>
        <comment>after a number of hours</comment>
        <translation>
            <numerusform> heure</numerusform>
            <numerusform> heures</numerusform>
        </translation>
    </message>
    <message>
        <source>History of checks</source>
        <translation>Historique des vérifications</translation>
    </message>
    <message>
        <source>Keep the history of checks for</source>
        <translation>Conserver l&apos;historique des vérifications pendant</translation>
    </message>
    <message>
        <source>no history</source>
        <translation>pas d&apos;historique</translation>
    </message>
    <message>
        <source>Days the history of checks is kept (0: none)</source>
        <translation>Jours de conservation de l&apos;historique des vérifications (0&#xa0;: aucun)</translation>
    </message>
    <message>
        <source>Every check of the last 90 days is kept, one a day before that.</source>
        <translation>Chaque vérification des 90 derniers jours est conservée, une par jour avant cela.</translation>
    </message>
    <message numerus="yes">
        <source> days</source>
        <comment>after a number of days</comment>
        <translation>
            <numerusform> jour</numerusform>
            <numerusform> jours</numerusform>
        </translation>
    </message>
    <message>
        <source>Sleeping disks</source>
        <translation>Disques en veille</translation>
    </message>
    <message>
        <source>Don&apos;t wake sleeping disks</source>
        <translation>Ne pas réveiller les disques en veille</translation>
    </message>
    <message>
        <source>Timed checks leave a disk that sleeps asleep and show the values of its last read. The first check after start and a check you start read it all the same, and so does one timed check in every %1 while it sleeps.</source>
        <translation>Les vérifications programmées laissent en veille un disque qui dort et montrent les valeurs de sa dernière lecture. La première vérification après le démarrage et une vérification que vous lancez le lisent quand même, de même qu&apos;une vérification programmée sur %1 tant qu&apos;il dort.</translation>
    </message>
    <message numerus="yes">
        <source>The history holds %n checks older than %1. The next check removes them, and they cannot be brought back.</source>
        <translation>
            <numerusform>L&apos;historique contient %n vérification de plus de %1. La prochaine vérification la supprime, et elle ne pourra pas être récupérée.</numerusform>
            <numerusform>L&apos;historique contient %n vérifications de plus de %1. La prochaine vérification les supprime, et elles ne pourront pas être récupérées.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n days</source>
        <translation>
            <numerusform>%n jour</numerusform>
            <numerusform>%n jours</numerusform>
        </translation>
    </message>
    <message>
        <source>Remove older checks from the history?</source>
        <translation>Supprimer de l&apos;historique les vérifications plus anciennes&#xa0;?</translation>
    </message>
    <message>
        <source>Keep Them</source>
        <translation>Les conserver</translation>
    </message>
    <message>
        <source>Remove Them</source>
        <translation>Les supprimer</translation>
    </message>
</context>
<context>
    <name>KZRecordedTexts</name>
    <message>
        <source>Attribute %1 failed</source>
        <translation>L&apos;attribut %1 est en échec</translation>
    </message>
    <message>
        <source>Attribute %1 failed in the past</source>
        <translation>L&apos;attribut %1 a été en échec par le passé</translation>
    </message>
    <message>
        <source>smartctl did not answer within %1 s</source>
        <translation>smartctl n&apos;a pas répondu en %1&#xa0;s</translation>
    </message>
    <message>
        <source>smartctl was stopped by signal %1%2</source>
        <translation>smartctl a été arrêté par le signal %1%2</translation>
    </message>
    <message>
        <source>smartctl printed more than %1 MB</source>
        <translation>smartctl a affiché plus de %1&#xa0;Mo</translation>
    </message>
    <message>
        <source>smartctl&apos;s output is not a smartctl report (it begins &quot;%1&quot;)</source>
        <translation>la sortie de smartctl n&apos;est pas un rapport de smartctl (elle commence par «&#xa0;%1&#xa0;»)</translation>
    </message>
    <message>
        <source>cannot read %1: permission denied — run as root or install the helper</source>
        <translation>impossible de lire %1&#xa0;: permission refusée — lancez-le en root ou installez l&apos;assistant</translation>
    </message>
    <message>
        <source>the disk did not answer: %1</source>
        <translation>le disque n&apos;a pas répondu&#xa0;: %1</translation>
    </message>
    <message>
        <source>cannot replay %1: %2</source>
        <translation>impossible de rejouer %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>Not authorized to read this disk: %1</source>
        <translation>Lecture de ce disque non autorisée&#xa0;: %1</translation>
    </message>
    <message>
        <source>cannot run %1: %2</source>
        <translation>impossible d&apos;exécuter %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>the capture holds no command blocks (%1)</source>
        <translation>la capture ne contient aucun bloc de commande (%1)</translation>
    </message>
    <message>
        <source>An error occurred attempting to read some SMART data. That data will not be available to view. Please contact %1 for help.</source>
        <translation>Une erreur s&apos;est produite en lisant certaines données SMART. Ces données ne pourront pas être affichées. Écrivez à %1 pour obtenir de l&apos;aide.</translation>
    </message>
    <message>
        <source>An error occurred attempting to scan for SMART data. Tarnwell may work incorrectly. Please contact %1 for help.</source>
        <translation>Une erreur s&apos;est produite en cherchant les données SMART. Tarnwell risque de ne pas fonctionner correctement. Écrivez à %1 pour obtenir de l&apos;aide.</translation>
    </message>
    <message>
        <source>An error occurred attempting to scan for drives. Tarnwell may work incorrectly. Please contact %1 for help.</source>
        <translation>Une erreur s&apos;est produite en cherchant les disques. Tarnwell risque de ne pas fonctionner correctement. Écrivez à %1 pour obtenir de l&apos;aide.</translation>
    </message>
    <message>
        <source>Reallocated bad sector status is failed</source>
        <translation>Les secteurs défectueux réalloués sont en échec</translation>
    </message>
    <message>
        <source>Attribute 190 status is failed</source>
        <translation>L&apos;attribut 190 est en échec</translation>
    </message>
    <message>
        <source>Reallocated event status is failed</source>
        <translation>Les événements de réallocation sont en échec</translation>
    </message>
    <message>
        <source>Current bad sectors status is failed</source>
        <translation>Les secteurs défectueux en attente sont en échec</translation>
    </message>
    <message>
        <source>Offline bad sector status is failed</source>
        <translation>Les secteurs défectueux hors ligne sont en échec</translation>
    </message>
    <message>
        <source>Reallocated bad sector status failed in the past</source>
        <translation>Les secteurs défectueux réalloués ont été en échec par le passé</translation>
    </message>
    <message>
        <source>Attribute 190 status is failed in the past</source>
        <translation>L&apos;attribut 190 a été en échec par le passé</translation>
    </message>
    <message>
        <source>Reallocated event status failed in the past</source>
        <translation>Les événements de réallocation ont été en échec par le passé</translation>
    </message>
    <message>
        <source>Current bad sector status failed in the past</source>
        <translation>Les secteurs défectueux en attente ont été en échec par le passé</translation>
    </message>
    <message>
        <source>Offline bad sector status failed in the past</source>
        <translation>Les secteurs défectueux hors ligne ont été en échec par le passé</translation>
    </message>
    <message>
        <source>Too many reallocated bad sectors</source>
        <translation>Trop de secteurs défectueux réalloués</translation>
    </message>
    <message>
        <source>Too many reallocated events</source>
        <translation>Trop d&apos;événements de réallocation</translation>
    </message>
    <message>
        <source>Too many current bad sectors</source>
        <translation>Trop de secteurs défectueux en attente</translation>
    </message>
    <message>
        <source>Too many offline bad sectors</source>
        <translation>Trop de secteurs défectueux hors ligne</translation>
    </message>
    <message>
        <source>Failed selftest status</source>
        <translation>L&apos;autotest a échoué</translation>
    </message>
    <message>
        <source>Too many drive errors</source>
        <translation>Trop d&apos;erreurs du disque</translation>
    </message>
    <message>
        <source>Tests with errors</source>
        <translation>Des autotests ont échoué</translation>
    </message>
    <message>
        <source>SMART overall-health self-assessment test failed</source>
        <translation>L&apos;autoévaluation de santé générale SMART a échoué</translation>
    </message>
    <message>
        <source>smartctl returned error message: SMART support is ambiguous but SMART cannot be enabled.</source>
        <translation>smartctl a renvoyé une erreur&#xa0;: la prise en charge de SMART est ambiguë et SMART ne peut pas être activé.</translation>
    </message>
    <message>
        <source>smartctl&apos;s output ended in the middle of a line</source>
        <translation>la sortie de smartctl s&apos;est arrêtée au milieu d&apos;une ligne</translation>
    </message>
    <message>
        <source>smartctl gave no readable output</source>
        <translation>smartctl n&apos;a rien renvoyé de lisible</translation>
    </message>
    <message>
        <source>smartctl printed nothing</source>
        <translation>smartctl n&apos;a rien affiché</translation>
    </message>
    <message>
        <source>smartctl&apos;s output is not readable text</source>
        <translation>la sortie de smartctl n&apos;est pas du texte lisible</translation>
    </message>
    <message>
        <source>smartctl was not found; install smartmontools</source>
        <translation>smartctl est introuvable&#xa0;; installez smartmontools</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>erreur inconnue</translation>
    </message>
    <message>
        <source>polkit does not allow it</source>
        <translation>polkit ne l&apos;autorise pas</translation>
    </message>
    <message>
        <source>the authentication was dismissed</source>
        <translation>l&apos;authentification a été annulée</translation>
    </message>
    <message>
        <source>the drive is an NVMe drive, and smartctl replays captures of ATA drives only, so no report can be saved from it</source>
        <translation>le disque est un disque NVMe, et smartctl ne rejoue que les captures de disques ATA&#xa0;; aucun rapport ne peut donc en être enregistré</translation>
    </message>
    <message>
        <source>the drive is a SCSI or SAS drive, and smartctl replays captures of ATA drives only, so no report can be saved from it</source>
        <translation>le disque est un disque SCSI ou SAS, et smartctl ne rejoue que les captures de disques ATA&#xa0;; aucun rapport ne peut donc en être enregistré</translation>
    </message>
    <message>
        <source>the capture holds no command blocks</source>
        <translation>la capture ne contient aucun bloc de commande</translation>
    </message>
    <message>
        <source>Username/password item not found</source>
        <translation>Nom d&apos;utilisateur ou mot de passe introuvable dans le trousseau</translation>
    </message>
    <message>
        <source>Error running email command</source>
        <translation>Erreur à l&apos;exécution de la commande d&apos;envoi de courriel</translation>
    </message>
    <message>
        <source>smartctl cannot tell its device type</source>
        <translation>smartctl ne reconnaît pas son type de périphérique</translation>
    </message>
    <message>
        <source>it sits behind a USB bridge smartctl does not know</source>
        <translation>il est derrière un adaptateur USB que smartctl ne connaît pas</translation>
    </message>
    <message>
        <source>the device is gone</source>
        <translation>le périphérique a disparu</translation>
    </message>
    <message>
        <source>it has no S.M.A.R.T.</source>
        <translation>il n&apos;a pas de S.M.A.R.T.</translation>
    </message>
    <message>
        <source>smartctl gave no S.M.A.R.T. data</source>
        <translation>smartctl n&apos;a donné aucune donnée S.M.A.R.T.</translation>
    </message>
</context>
<context>
    <name>KZReportPrinter</name>
    <message>
        <source>Print drive reports</source>
        <translation>Imprimer les rapports des disques</translation>
    </message>
</context>
<context>
    <name>KZSMARTAttribute</name>
    <message>
        <source>ID#</source>
        <translation>N°</translation>
    </message>
    <message>
        <source>ATTRIBUTE NAME</source>
        <translation>NOM DE L&apos;ATTRIBUT</translation>
    </message>
    <message>
        <source>FLAG</source>
        <translation>INDIC.</translation>
    </message>
    <message>
        <source>VALUE</source>
        <translation>VALEUR</translation>
    </message>
    <message>
        <source>WORST</source>
        <translation>PIRE</translation>
    </message>
    <message>
        <source>THRESH</source>
        <translation>SEUIL</translation>
    </message>
    <message>
        <source>TYPE</source>
        <translation>TYPE</translation>
    </message>
    <message>
        <source>UPDATED</source>
        <translation>MISE À JOUR</translation>
    </message>
    <message>
        <source>FAILED</source>
        <translation>DÉFAILLANCE</translation>
    </message>
    <message>
        <source>RAW VALUE</source>
        <translation>VALEUR BRUTE</translation>
    </message>
    <message>
        <source>Never</source>
        <translation>Jamais</translation>
    </message>
    <message>
        <source>FAILING NOW</source>
        <translation>DÉFAILLANT</translation>
    </message>
    <message>
        <source>In the past</source>
        <translation>Par le passé</translation>
    </message>
    <message>
        <source> (Lifetime Min/Max %1/%2)</source>
        <translation> (min./max. sur la durée de vie %1/%2)</translation>
    </message>
    <message>
        <source>Temperature (F)</source>
        <translation>Température (F)</translation>
    </message>
    <message>
        <source>Temperature Fahrenheit</source>
        <translation>Température Fahrenheit</translation>
    </message>
    <message>
        <source>Temperature Celsius</source>
        <translation>Température Celsius</translation>
    </message>
</context>
<context>
    <name>KZSMARTDataReportDocument</name>
    <message>
        <source>Loading the report...</source>
        <translation>Chargement du rapport…</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>&amp;Ouvrir…</translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation>&amp;Imprimer…</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Fermer</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aide</translation>
    </message>
    <message>
        <source>Tarnwell &amp;Help</source>
        <translation>&amp;Aide de Tarnwell</translation>
    </message>
    <message>
        <source>%1 - Tarnwell</source>
        <translation>%1 - Tarnwell</translation>
    </message>
    <message>
        <source>Loading %1...</source>
        <translation>Chargement de %1…</translation>
    </message>
    <message>
        <source>An Error Occurred</source>
        <translation>Une erreur s&apos;est produite</translation>
    </message>
    <message>
        <source>An error occurred attempting to read the file. The file may be corrupted or in format Tarnwell is unable to read.</source>
        <translation>Une erreur s&apos;est produite en lisant le fichier. Le fichier est peut-être endommagé, ou dans un format que Tarnwell ne sait pas lire.</translation>
    </message>
</context>
<context>
    <name>KZSMARTDrive</name>
    <message>
        <source>*not set*</source>
        <translation>*non défini*</translation>
    </message>
    <message>
        <source>was never started</source>
        <translation>n&apos;a jamais été lancée</translation>
    </message>
    <message>
        <source>was completed without error</source>
        <translation>s&apos;est terminée sans erreur</translation>
    </message>
    <message>
        <source>is in progress</source>
        <translation>est en cours</translation>
    </message>
    <message>
        <source>was suspended by an interrupting command from host</source>
        <translation>a été suspendue par une commande de l&apos;hôte</translation>
    </message>
    <message>
        <source>was aborted by an interrupting command from host</source>
        <translation>a été interrompue par une commande de l&apos;hôte</translation>
    </message>
    <message>
        <source>was aborted by the device with a fatal error</source>
        <translation>a été interrompue par le disque sur une erreur fatale</translation>
    </message>
    <message>
        <source>is in a Vendor Specific state</source>
        <translation>est dans un état propre au fabricant</translation>
    </message>
    <message>
        <source>is in a Reserved state</source>
        <translation>est dans un état réservé</translation>
    </message>
    <message>
        <source>The previous self-test routine completed without error or no self-test has ever been run.</source>
        <translation>Le dernier autotest s&apos;est terminé sans erreur, ou aucun autotest n&apos;a jamais été lancé.</translation>
    </message>
    <message>
        <source>The self-test routine was aborted by the host.</source>
        <translation>L&apos;autotest a été interrompu par l&apos;hôte.</translation>
    </message>
    <message>
        <source>The self-test routine was interrupted by the host with a hard or soft reset.</source>
        <translation>L&apos;autotest a été interrompu par une réinitialisation matérielle ou logicielle de l&apos;hôte.</translation>
    </message>
    <message>
        <source>A fatal error or unknown test error occurred while the device was executing its self-test routine and the device was unable to complete the self-test routine.</source>
        <translation>Une erreur fatale ou inconnue s&apos;est produite pendant l&apos;autotest, et le disque n&apos;a pas pu le terminer.</translation>
    </message>
    <message>
        <source>The previous self-test completed having a test element that failed and the test element that failed is not known.</source>
        <translation>Le dernier autotest s&apos;est terminé avec un élément en échec, sans que l&apos;on sache lequel.</translation>
    </message>
    <message>
        <source>The previous self-test completed having the electrical element of the test failed.</source>
        <translation>Le dernier autotest s&apos;est terminé avec l&apos;élément électrique en échec.</translation>
    </message>
    <message>
        <source>The previous self-test completed having the servo (and/or seek) element of the test failed.</source>
        <translation>Le dernier autotest s&apos;est terminé avec l&apos;élément d&apos;asservissement (ou de positionnement) en échec.</translation>
    </message>
    <message>
        <source>The previous self-test completed having the read element of the test failed.</source>
        <translation>Le dernier autotest s&apos;est terminé avec l&apos;élément de lecture en échec.</translation>
    </message>
    <message>
        <source>The previous self-test completed having a test element that failed and the device is suspected of having handling damage.</source>
        <translation>Le dernier autotest s&apos;est terminé avec un élément en échec, et le disque a peut-être subi un choc.</translation>
    </message>
    <message>
        <source>Self-test routine in progress... %1% of test remaining.</source>
        <translation>Autotest en cours… il reste %1&#xa0;% du test.</translation>
    </message>
    <message>
        <source>Reserved</source>
        <translation>Réservé</translation>
    </message>
    <message>
        <source>location: </source>
        <translation>emplacement&#xa0;: </translation>
    </message>
    <message>
        <source>partition count: %1</source>
        <translation>nombre de partitions&#xa0;: %1</translation>
    </message>
    <message>
        <source>partitions: </source>
        <translation>partitions&#xa0;: </translation>
    </message>
    <message>
        <source>SMART Support: </source>
        <translation>Prise en charge SMART&#xa0;: </translation>
    </message>
    <message>
        <source>Supported</source>
        <translation>Oui</translation>
    </message>
    <message>
        <source>Unsupported</source>
        <translation>Non</translation>
    </message>
    <message>
        <source>Last SMART Error: </source>
        <translation>Dernière erreur SMART&#xa0;: </translation>
    </message>
    <message>
        <source>Model Family: </source>
        <translation>Famille&#xa0;: </translation>
    </message>
    <message>
        <source>Model: </source>
        <translation>Modèle&#xa0;: </translation>
    </message>
    <message>
        <source>Serial Number: </source>
        <translation>Numéro de série&#xa0;: </translation>
    </message>
    <message>
        <source>Firmware Version: </source>
        <translation>Micrologiciel&#xa0;: </translation>
    </message>
    <message>
        <source>Capacity: </source>
        <translation>Capacité&#xa0;: </translation>
    </message>
    <message>
        <source>ATA Version: </source>
        <translation>Version ATA&#xa0;: </translation>
    </message>
    <message>
        <source>SATA Version: </source>
        <translation>Version SATA&#xa0;: </translation>
    </message>
    <message>
        <source>Rotation Rate: </source>
        <translation>Vitesse de rotation&#xa0;: </translation>
    </message>
    <message>
        <source>Health: </source>
        <translation>Santé&#xa0;: </translation>
    </message>
    <message>
        <source>Passed</source>
        <translation>Sain</translation>
    </message>
    <message>
        <source>Failing</source>
        <translation>Défaillant</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>En panne</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Inconnu</translation>
    </message>
    <message>
        <source>Overall Health: </source>
        <translation>Santé générale&#xa0;: </translation>
    </message>
    <message>
        <source>Offline Data Status: </source>
        <translation>État de la collecte hors ligne&#xa0;: </translation>
    </message>
    <message>
        <source>Self Test Status: </source>
        <translation>État de l&apos;autotest&#xa0;: </translation>
    </message>
    <message>
        <source>Offline Data Collection Time: </source>
        <translation>Durée de la collecte hors ligne&#xa0;: </translation>
    </message>
    <message>
        <source>Data Collection Capabilities: </source>
        <translation>Capacités de collecte&#xa0;: </translation>
    </message>
    <message>
        <source>SMART Capabilities: </source>
        <translation>Capacités SMART&#xa0;: </translation>
    </message>
    <message>
        <source>Error Logging Capabilities: </source>
        <translation>Capacités de journalisation des erreurs&#xa0;: </translation>
    </message>
    <message>
        <source>Short Self Test Time: </source>
        <translation>Durée du test court&#xa0;: </translation>
    </message>
    <message>
        <source>Long Self Test Time: </source>
        <translation>Durée du test long&#xa0;: </translation>
    </message>
    <message>
        <source>Conveyance Self Test Time: </source>
        <translation>Durée du test de transport&#xa0;: </translation>
    </message>
    <message>
        <source>Attribute Log Revision: </source>
        <translation>Révision du tableau des attributs&#xa0;: </translation>
    </message>
    <message>
        <source>Attribute Count: </source>
        <translation>Nombre d&apos;attributs&#xa0;: </translation>
    </message>
    <message>
        <source>Attributes:</source>
        <translation>Attributs&#xa0;:</translation>
    </message>
    <message>
        <source>Error Log Version: </source>
        <translation>Version du journal des erreurs&#xa0;: </translation>
    </message>
    <message>
        <source>Error Count: </source>
        <translation>Nombre d&apos;erreurs&#xa0;: </translation>
    </message>
    <message>
        <source>Error Log: </source>
        <translation>Journal des erreurs&#xa0;: </translation>
    </message>
    <message>
        <source>No errors logged.</source>
        <translation>Aucune erreur consignée.</translation>
    </message>
    <message>
        <source>Self Test Log Revision: </source>
        <translation>Révision du journal des autotests&#xa0;: </translation>
    </message>
    <message>
        <source>Self Test Log Count: </source>
        <translation>Nombre d&apos;autotests consignés&#xa0;: </translation>
    </message>
    <message>
        <source>Self Test Log:</source>
        <translation>Journal des autotests&#xa0;:</translation>
    </message>
    <message>
        <source>No self tests logged.</source>
        <translation>Aucun autotest consigné.</translation>
    </message>
</context>
<context>
    <name>KZSMARTErrorLog</name>
    <message>
        <source>Unknown</source>
        <translation>Inconnue</translation>
    </message>
    <message>
        <source>Command Aborted</source>
        <translation>Commande interrompue</translation>
    </message>
    <message>
        <source>Address Mark Not Found</source>
        <translation>Marque d&apos;adresse introuvable</translation>
    </message>
    <message>
        <source>Command Timed Out</source>
        <translation>Délai de la commande dépassé</translation>
    </message>
    <message>
        <source>End Of Media</source>
        <translation>Fin du support</translation>
    </message>
    <message>
        <source>Interface CRC error</source>
        <translation>Erreur CRC de l&apos;interface</translation>
    </message>
    <message>
        <source>Identity Not Found</source>
        <translation>Secteur introuvable</translation>
    </message>
    <message>
        <source>ILI</source>
        <translation>ILI</translation>
    </message>
    <message>
        <source>Media Changed</source>
        <translation>Support changé</translation>
    </message>
    <message>
        <source>Media Change Request</source>
        <translation>Demande de changement de support</translation>
    </message>
    <message>
        <source>No Media</source>
        <translation>Aucun support</translation>
    </message>
    <message>
        <source>Obsolete</source>
        <translation>Obsolète</translation>
    </message>
    <message>
        <source>TracK 0 Not Found</source>
        <translation>Piste 0 introuvable</translation>
    </message>
    <message>
        <source>Uncorrectable Error</source>
        <translation>Erreur non corrigible</translation>
    </message>
    <message>
        <source>Write Protected</source>
        <translation>Protégé en écriture</translation>
    </message>
    <message numerus="yes">
        <source>Error %1 occured at disk power-on lifetime: %n hours</source>
        <translation>
            <numerusform>Erreur %1 survenue après %n heure de fonctionnement du disque</numerusform>
            <numerusform>Erreur %1 survenue après %n heures de fonctionnement du disque</numerusform>
        </translation>
    </message>
    <message>
        <source>When the command that caused the error occurred, %1</source>
        <translation>Quand la commande fautive s&apos;est produite, %1</translation>
    </message>
    <message>
        <source>After command completion occurred, registers were:</source>
        <translation>Après la fin de la commande, les registres étaient&#xa0;:</translation>
    </message>
    <message numerus="yes">
        <source> with %n sectors at LBA = %1</source>
        <translation>
            <numerusform> sur %n secteur au LBA = %1</numerusform>
            <numerusform> sur %n secteurs au LBA = %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Error: %1</source>
        <translation>Erreur&#xa0;: %1</translation>
    </message>
    <message>
        <source>Commands leading to the command that caused the error were:</source>
        <translation>Commandes qui ont précédé la commande fautive&#xa0;:</translation>
    </message>
</context>
<context>
    <name>KZSMARTSelfTestLog</name>
    <message>
        <source>Num  Test_Description    Status                   Remaining  LifeTime(hours)  LBA_of_first_error</source>
        <translation>N°   Description_du_test État                     Restant    Vie(heures)      LBA_1re_erreur</translation>
    </message>
    <message>
        <source>Unknown type</source>
        <translation>Type inconnu</translation>
    </message>
</context>
<context>
    <name>KZSelfTestMonitor</name>
    <message numerus="yes">
        <source>%n minutes</source>
        <translation>
            <numerusform>%n minute</numerusform>
            <numerusform>%n minutes</numerusform>
        </translation>
    </message>
    <message>
        <source>about a minute</source>
        <translation>environ une minute</translation>
    </message>
    <message>
        <source>less than a minute</source>
        <translation>moins d&apos;une minute</translation>
    </message>
</context>
<context>
    <name>KZSmartctlWords</name>
    <message>
        <source>Pre-fail</source>
        <translation>Pré-défaillance</translation>
    </message>
    <message>
        <source>Old_age</source>
        <translation>Usure</translation>
    </message>
    <message>
        <source>Always</source>
        <translation>Toujours</translation>
    </message>
    <message>
        <source>Offline</source>
        <translation>Hors ligne</translation>
    </message>
    <message>
        <source>Short offline</source>
        <translation>Court hors ligne</translation>
    </message>
    <message>
        <source>Extended offline</source>
        <translation>Étendu hors ligne</translation>
    </message>
    <message>
        <source>Conveyance offline</source>
        <translation>Transport hors ligne</translation>
    </message>
    <message>
        <source>Selective offline</source>
        <translation>Sélectif hors ligne</translation>
    </message>
    <message>
        <source>Abort offline test</source>
        <translation>Arrêt du test hors ligne</translation>
    </message>
    <message>
        <source>Short captive</source>
        <translation>Court captif</translation>
    </message>
    <message>
        <source>Extended captive</source>
        <translation>Étendu captif</translation>
    </message>
    <message>
        <source>Conveyance captive</source>
        <translation>Transport captif</translation>
    </message>
    <message>
        <source>Selective captive</source>
        <translation>Sélectif captif</translation>
    </message>
    <message>
        <source>Short</source>
        <translation>Court</translation>
    </message>
    <message>
        <source>Extended</source>
        <translation>Étendu</translation>
    </message>
    <message>
        <source>Vendor specific</source>
        <translation>Propre au fabricant</translation>
    </message>
    <message>
        <source>Completed without error</source>
        <translation>Terminé sans erreur</translation>
    </message>
    <message>
        <source>Aborted by host</source>
        <translation>Interrompu par l&apos;hôte</translation>
    </message>
    <message>
        <source>Interrupted (host reset)</source>
        <translation>Interrompu (réinitialisation de l&apos;hôte)</translation>
    </message>
    <message>
        <source>Fatal or unknown error</source>
        <translation>Erreur fatale ou inconnue</translation>
    </message>
    <message>
        <source>Completed: unknown failure</source>
        <translation>Terminé&#xa0;: échec inconnu</translation>
    </message>
    <message>
        <source>Completed: electrical failure</source>
        <translation>Terminé&#xa0;: échec électrique</translation>
    </message>
    <message>
        <source>Completed: servo/seek failure</source>
        <translation>Terminé&#xa0;: échec d&apos;asservissement ou de positionnement</translation>
    </message>
    <message>
        <source>Completed: read failure</source>
        <translation>Terminé&#xa0;: échec de lecture</translation>
    </message>
    <message>
        <source>Completed: handling damage??</source>
        <translation>Terminé&#xa0;: choc subi&#xa0;?</translation>
    </message>
    <message>
        <source>Self-test routine in progress</source>
        <translation>Autotest en cours</translation>
    </message>
    <message>
        <source>Aborted: Self-test command</source>
        <translation>Interrompu&#xa0;: commande d&apos;autotest</translation>
    </message>
    <message>
        <source>Aborted: Controller Reset</source>
        <translation>Interrompu&#xa0;: réinitialisation du contrôleur</translation>
    </message>
    <message>
        <source>Aborted: Namespace removed</source>
        <translation>Interrompu&#xa0;: espace de noms retiré</translation>
    </message>
    <message>
        <source>Aborted: Format NVM command</source>
        <translation>Interrompu&#xa0;: commande de formatage NVM</translation>
    </message>
    <message>
        <source>Fatal or unknown test error</source>
        <translation>Erreur de test fatale ou inconnue</translation>
    </message>
    <message>
        <source>Completed: unknown failed segment</source>
        <translation>Terminé&#xa0;: segment en échec inconnu</translation>
    </message>
    <message>
        <source>Completed: failed segments</source>
        <translation>Terminé&#xa0;: segments en échec</translation>
    </message>
    <message>
        <source>Aborted: unknown reason</source>
        <translation>Interrompu&#xa0;: raison inconnue</translation>
    </message>
    <message>
        <source>Aborted: sanitize operation</source>
        <translation>Interrompu&#xa0;: opération de nettoyage</translation>
    </message>
</context>
<context>
    <name>KZSummaryPanel</name>
    <message>
        <source>Overall Status:</source>
        <translation>État général&#xa0;:</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Disque</translation>
    </message>
    <message>
        <source>Model:</source>
        <translation>Modèle&#xa0;:</translation>
    </message>
    <message>
        <source>Serial Number:</source>
        <translation>Numéro de série&#xa0;:</translation>
    </message>
    <message>
        <source>Capacity:</source>
        <translation>Capacité&#xa0;:</translation>
    </message>
    <message>
        <source>Power On Hours:</source>
        <translation>Heures de fonctionnement&#xa0;:</translation>
    </message>
    <message>
        <source>More Info</source>
        <translation>Détails</translation>
    </message>
    <message>
        <source>Attributes</source>
        <translation>Attributs</translation>
    </message>
    <message>
        <source>Pending Bad Sectors:</source>
        <translation>Secteurs défectueux en attente&#xa0;:</translation>
    </message>
    <message>
        <source>Removed Bad Sectors:</source>
        <translation>Secteurs défectueux retirés&#xa0;:</translation>
    </message>
    <message>
        <source>Reallocated Bad Sectors:</source>
        <translation>Secteurs défectueux réalloués&#xa0;:</translation>
    </message>
    <message>
        <source>Interface CRC Errors:</source>
        <translation>Erreurs CRC de l&apos;interface&#xa0;:</translation>
    </message>
    <message>
        <source>Show All</source>
        <translation>Tout afficher</translation>
    </message>
    <message>
        <source>Errors</source>
        <translation>Erreurs</translation>
    </message>
    <message>
        <source>Total Errors:</source>
        <translation>Nombre d&apos;erreurs&#xa0;:</translation>
    </message>
    <message>
        <source>Last Error Type:</source>
        <translation>Type de la dernière erreur&#xa0;:</translation>
    </message>
    <message>
        <source>Last Error At (Hours):</source>
        <translation>Dernière erreur à (heures)&#xa0;:</translation>
    </message>
    <message>
        <source>Self-Tests</source>
        <translation>Autotests</translation>
    </message>
    <message>
        <source>Tests Logged:</source>
        <translation>Tests consignés&#xa0;:</translation>
    </message>
    <message>
        <source>Last Test Status:</source>
        <translation>État du dernier test&#xa0;:</translation>
    </message>
    <message>
        <source>Last Test At (Hours):</source>
        <translation>Dernier test à (heures)&#xa0;:</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <comment>a button by its group</comment>
        <translation>%1&#xa0;: %2</translation>
    </message>
    <message>
        <source>History...</source>
        <translation>Historique…</translation>
    </message>
    <message>
        <source>%1, change in 30 days</source>
        <translation>%1, évolution sur 30 jours</translation>
    </message>
</context>
<context>
    <name>KZTarnwellMenuItemController</name>
    <message>
        <source>Tarnwell: checking the drives (%1%)</source>
        <translation>Tarnwell&#xa0;: vérification des disques (%1&#xa0;%)</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1&#xa0;: %2</translation>
    </message>
    <message>
        <source>Your disks cannot be read</source>
        <translation>Vos disques ne peuvent pas être lus</translation>
    </message>
</context>
<context>
    <name>KZTestEmailSheet</name>
    <message>
        <source>Test E-mail</source>
        <translation>Courriel d&apos;essai</translation>
    </message>
    <message>
        <source>Sending a test e-mail with your settings...</source>
        <translation>Envoi d&apos;un courriel d&apos;essai avec vos réglages…</translation>
    </message>
</context>
<context>
    <name>KZTestsController</name>
    <message>
        <source>An Error Occurred</source>
        <translation>Une erreur s&apos;est produite</translation>
    </message>
    <message>
        <source>Start the self-test?</source>
        <translation>Lancer l&apos;autotest&#xa0;?</translation>
    </message>
    <message>
        <source>This drive cannot report its S.M.A.R.T. data while it runs a self-test.</source>
        <translation>Ce disque ne peut pas fournir ses données S.M.A.R.T. pendant un autotest.</translation>
    </message>
    <message>
        <source>Until the test has finished, Tarnwell will not read the drive, and a rescan will ask whether to skip it. The window estimates the progress from the clock.</source>
        <translation>Jusqu&apos;à la fin du test, Tarnwell ne lira pas le disque, et une nouvelle recherche des disques demandera s&apos;il faut l&apos;ignorer. La fenêtre estime l&apos;avancement d&apos;après l&apos;horloge.</translation>
    </message>
    <message>
        <source>Start Test</source>
        <translation>Lancer le test</translation>
    </message>
    <message>
        <source>The self-test did not start</source>
        <translation>L&apos;autotest n&apos;a pas démarré</translation>
    </message>
    <message>
        <source>The drive %1 did not start the self-test. It may not support it, or smartctl could not send the command.</source>
        <translation>Le disque %1 n&apos;a pas lancé l&apos;autotest. Il ne le prend peut-être pas en charge, ou smartctl n&apos;a pas pu envoyer la commande.</translation>
    </message>
    <message>
        <source>Number</source>
        <translation>Numéro</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>État</translation>
    </message>
    <message>
        <source>Remaining</source>
        <translation>Restant</translation>
    </message>
    <message>
        <source>Lifetime (Hours)</source>
        <translation>Durée de vie (heures)</translation>
    </message>
    <message>
        <source>First Error LBA</source>
        <translation>1re erreur (LBA)</translation>
    </message>
    <message>
        <source>A self-test is running.</source>
        <translation>Un autotest est en cours.</translation>
    </message>
    <message>
        <source>Time remaining:</source>
        <translation>Temps restant&#xa0;:</translation>
    </message>
    <message>
        <source>Self-test log</source>
        <translation>Journal des autotests</translation>
    </message>
    <message>
        <source>Run a Self-Test</source>
        <translation>Lancer un autotest</translation>
    </message>
    <message>
        <source>&amp;Test:</source>
        <translation>&amp;Test&#xa0;:</translation>
    </message>
    <message>
        <source>Short test</source>
        <translation>Test court</translation>
    </message>
    <message>
        <source>Extended test</source>
        <translation>Test étendu</translation>
    </message>
    <message>
        <source>Test progress</source>
        <translation>Avancement du test</translation>
    </message>
    <message>
        <source>Short test (%1)</source>
        <translation>Test court (%1)</translation>
    </message>
    <message>
        <source>Extended test (%1)</source>
        <translation>Test étendu (%1)</translation>
    </message>
    <message>
        <source>%1 Tests</source>
        <translation>Autotests de %1</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>Lancer</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Run the self-test</source>
        <translation>Lancer l&apos;autotest</translation>
    </message>
    <message>
        <source>Cancel the self-test</source>
        <translation>Annuler l&apos;autotest</translation>
    </message>
</context>
</TS>
