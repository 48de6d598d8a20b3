<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>Dialog</name>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Nom :</translation>
    </message>
    <message>
        <source>&amp;Group:</source>
        <translation>&amp;Groupe :</translation>
    </message>
    <message>
        <source>&amp;Take along</source>
        <translation>À &amp;emporter</translation>
    </message>
    <message>
        <source>&amp;Quantity:</source>
        <translation>&amp;Quantité :</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Voyanta Version 1.2.1
Copyright (C) 2024 Quorvane Software
Harbour Row 12, Port Elswick
support@quorvane.example</source>
        <translation>Voyanta version 1.2.1
Copyright (C) 2024 Quorvane Software
Harbour Row 12, Port Elswick
support@quorvane.example</translation>
    </message>
    <message>
        <source>Edit Item and Quantity</source>
        <translation>Modifier l&apos;article et la quantité</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>About Voyanta</source>
        <translation>À propos de Voyanta</translation>
    </message>
</context>
<context>
    <name>DocString</name>
    <message>
        <source>Unnamed</source>
        <translation>Sans nom</translation>
    </message>
    <message>
        <source>Document</source>
        <translation>Document</translation>
    </message>
</context>
<context>
    <name>FrameworkStrings</name>
    <message>
        <source>Save changes to %1?</source>
        <translation>Enregistrer les modifications de %1 ?</translation>
    </message>
    <message>
        <source>Failed to open document.</source>
        <translation>Impossible d&apos;ouvrir le document.</translation>
    </message>
    <message>
        <source>Failed to save document.</source>
        <translation>Impossible d&apos;enregistrer le document.</translation>
    </message>
    <message>
        <source>Failed to create empty document.</source>
        <translation>Impossible de créer un document vide.</translation>
    </message>
    <message>
        <source>Encountered an unexpected error while reading %1.</source>
        <translation>Une erreur inattendue est survenue lors de la lecture de %1.</translation>
    </message>
    <message>
        <source>%1
File not found.</source>
        <translation>%1
Fichier introuvable.</translation>
    </message>
    <message>
        <source>%1 was not found or access to it was denied.</source>
        <translation>%1 est introuvable, ou son accès a été refusé.</translation>
    </message>
    <message>
        <source>The disk is full.</source>
        <translation>Le disque est plein.</translation>
    </message>
    <message>
        <source>An unexpected file error occurred with %1.</source>
        <translation>Une erreur de fichier inattendue est survenue avec %1.</translation>
    </message>
    <message>
        <source>Out of memory.</source>
        <translation>Mémoire insuffisante.</translation>
    </message>
    <message>
        <source>All Files</source>
        <translation>Tous les fichiers</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Ouvrir</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Enregistrer sous</translation>
    </message>
    <message>
        <source>Could not print to %1.</source>
        <translation>Impossible d&apos;imprimer sur %1.</translation>
    </message>
    <message>
        <source>There is no printer named %1.</source>
        <translation>Il n&apos;existe aucune imprimante nommée %1.</translation>
    </message>
    <message>
        <source>There is no default printer.</source>
        <translation>Il n&apos;y a pas d&apos;imprimante par défaut.</translation>
    </message>
    <message>
        <source>Printing from the command line takes /p FILE, or /pt FILE PRINTER (a PRINTER ending in .pdf is a PDF file to write).</source>
        <translation>L&apos;impression depuis la ligne de commande attend /p FICHIER, ou /pt FICHIER IMPRIMANTE (une IMPRIMANTE se terminant par .pdf est un fichier PDF à écrire).</translation>
    </message>
    <message>
        <source>%1 is not a regular file.</source>
        <translation>%1 n&apos;est pas un fichier ordinaire.</translation>
    </message>
    <message>
        <source>%1 is a directory.</source>
        <translation>%1 est un dossier.</translation>
    </message>
    <message>
        <source>The printer %1 is stopped; the job waits there.</source>
        <translation>L&apos;imprimante %1 est arrêtée ; la tâche y attend.</translation>
    </message>
    <message>
        <source>The print system cannot be reached.</source>
        <translation>Le système d&apos;impression est injoignable.</translation>
    </message>
    <message>
        <source>Printing was ended.</source>
        <translation>L&apos;impression a été interrompue.</translation>
    </message>
    <message>
        <source>%1 is a link that another user made; Voyanta does not follow it.</source>
        <translation>%1 est un lien créé par un autre utilisateur ; Voyanta ne le suit pas.</translation>
    </message>
    <message>
        <source>Open this document.
Open document</source>
        <translation>Ouvrir ce document.
Ouvrir le document</translation>
    </message>
</context>
<context>
    <name>Menu</name>
    <message>
        <source>&amp;New	Ctrl+N</source>
        <translation>&amp;Nouveau	Ctrl+N</translation>
    </message>
    <message>
        <source>&amp;Open...	Ctrl+O</source>
        <translation>&amp;Ouvrir...	Ctrl+O</translation>
    </message>
    <message>
        <source>&amp;Save	Ctrl+S</source>
        <translation>&amp;Enregistrer	Ctrl+S</translation>
    </message>
    <message>
        <source>Save &amp;As...	Ctrl+Shift+S</source>
        <translation>Enregistrer &amp;sous...	Ctrl+Maj+S</translation>
    </message>
    <message>
        <source>&amp;Print...	Ctrl+P</source>
        <translation>&amp;Imprimer...	Ctrl+P</translation>
    </message>
    <message>
        <source>O&amp;ptions...	F10</source>
        <translation>O&amp;ptions...	F10</translation>
    </message>
    <message>
        <source>(No Recent Files)</source>
        <translation>(Aucun fichier récent)</translation>
    </message>
    <message>
        <source>E&amp;xit	Alt+X</source>
        <translation>&amp;Quitter	Alt+X</translation>
    </message>
    <message>
        <source>&amp;Check/Uncheck	Space</source>
        <translation>&amp;Cocher/Décocher	Espace</translation>
    </message>
    <message>
        <source>Edit &amp;Quantity...	0-9</source>
        <translation>Modifier la &amp;quantité...	0-9</translation>
    </message>
    <message>
        <source>&amp;Edit Item...	Enter</source>
        <translation>&amp;Modifier l&apos;article...	Entrée</translation>
    </message>
    <message>
        <source>&amp;New Item...	Ins</source>
        <translation>&amp;Nouvel article...	Inser</translation>
    </message>
    <message>
        <source>&amp;Delete Item	Del</source>
        <translation>&amp;Supprimer l&apos;article	Suppr</translation>
    </message>
    <message>
        <source>Show &amp;Voyanta Only	F8</source>
        <translation>Afficher seulement le &amp;voyage	F8</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>&amp;Barre d&apos;outils</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>Barre d&apos;é&amp;tat</translation>
    </message>
    <message>
        <source>&amp;Refresh	F5</source>
        <translation>&amp;Actualiser	F5</translation>
    </message>
    <message>
        <source>&amp;Help...	F1</source>
        <translation>&amp;Aide...	F1</translation>
    </message>
    <message>
        <source>&amp;Terms and Conditions</source>
        <translation>&amp;Conditions d&apos;utilisation</translation>
    </message>
    <message>
        <source>&amp;Web Site of Voyanta</source>
        <translation>Site &amp;web de Voyanta</translation>
    </message>
    <message>
        <source>&amp;About Voyanta...	Shift-F1</source>
        <translation>À &amp;propos de Voyanta...	Maj-F1</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Édition</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>Affic&amp;hage</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aide</translation>
    </message>
</context>
<context>
    <name>StringTable</name>
    <message>
        <source>Open this document.
Open document</source>
        <translation>Ouvrir ce document.
Ouvrir le document</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Prêt</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>Outils</translation>
    </message>
    <message>
        <source>Quantity</source>
        <translation>Quantité</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nom</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Groupe</translation>
    </message>
    <message>
        <source>Items</source>
        <translation>Articles</translation>
    </message>
    <message>
        <source>not taken along</source>
        <translation>à ne pas emporter</translation>
    </message>
    <message>
        <source>taken along</source>
        <translation>à emporter</translation>
    </message>
    <message>
        <source>The Voyanta</source>
        <translation>Voyanta</translation>
    </message>
    <message>
        <source>Please select an item first.</source>
        <translation>Veuillez d&apos;abord sélectionner un article.</translation>
    </message>
    <message>
        <source>Voyanta cannot start: its item repository %1 can be neither read nor created.</source>
        <translation>Voyanta ne peut pas démarrer : son inventaire d&apos;articles %1 ne peut être ni lu ni créé.</translation>
    </message>
    <message>
        <source>Voyanta is already running with the repository %1.</source>
        <translation>Voyanta est déjà en cours d&apos;exécution avec l&apos;inventaire %1.</translation>
    </message>
    <message>
        <source>Voyanta could not save its item repository %1.</source>
        <translation>Voyanta n&apos;a pas pu enregistrer son inventaire d&apos;articles %1.</translation>
    </message>
    <message>
        <source>Voyanta could not save its settings in %1.</source>
        <translation>Voyanta n&apos;a pas pu enregistrer ses paramètres dans %1.</translation>
    </message>
    <message>
        <source>Voyanta could not save its item repository %1, which is now damaged.</source>
        <translation>Voyanta n&apos;a pas pu enregistrer son inventaire d&apos;articles %1, qui est maintenant endommagé.</translation>
    </message>
    <message>
        <source>Every item is kept in %1, from where Voyanta takes them when it starts again.</source>
        <translation>Tous les articles sont conservés dans %1, où Voyanta les reprendra à son prochain démarrage.</translation>
    </message>
    <message>
        <source>The items could not be kept in a rescue file either: %1</source>
        <translation>Les articles n&apos;ont pas pu être conservés non plus dans un fichier de secours : %1</translation>
    </message>
    <message>
        <source>Voyanta tries again at the next change, and when it ends.</source>
        <translation>Voyanta réessaiera à la prochaine modification, et en quittant.</translation>
    </message>
    <message>
        <source>Voyanta did not end properly last time, and the trip %1 had changes that were not saved.

Bring the trip back as it was?</source>
        <translation>Voyanta ne s&apos;est pas fermé correctement la dernière fois, et le voyage %1 avait des modifications non enregistrées.

Rétablir le voyage tel qu&apos;il était ?</translation>
    </message>
    <message>
        <source>Voyanta cannot start: its item repository %1 is damaged.</source>
        <translation>Voyanta ne peut pas démarrer : son inventaire d&apos;articles %1 est endommagé.</translation>
    </message>
    <message>
        <source>Voyanta cannot start: the lock file %1, which keeps two users from writing its item repository at once, cannot be used.</source>
        <translation>Voyanta ne peut pas démarrer : le fichier de verrou %1, qui empêche deux utilisateurs d&apos;écrire en même temps dans son inventaire d&apos;articles, est inutilisable.</translation>
    </message>
    <message>
        <source>It was started by the user %1.</source>
        <translation>Il a été lancé par l&apos;utilisateur %1.</translation>
    </message>
    <message>
        <source>Voyanta cannot make sure that it runs only once with the repository %1. Items entered in a second copy started meanwhile could be lost: close any other Voyanta window first.</source>
        <translation>Voyanta ne peut pas garantir qu&apos;il ne s&apos;exécute qu&apos;une fois avec l&apos;inventaire %1. Les articles saisis dans une seconde copie lancée entre-temps pourraient être perdus : fermez d&apos;abord toute autre fenêtre de Voyanta.</translation>
    </message>
    <message>
        <source>This will delete the item not only from the current voyanta,
but also from the repository.

To remove it from the voyanta, uncheck the item.

Are you sure to delete the item?</source>
        <translation>L&apos;article sera supprimé non seulement du voyage en cours,
mais aussi de l&apos;inventaire.

Pour le retirer seulement du voyage, décochez-le.

Voulez-vous vraiment supprimer l&apos;article ?</translation>
    </message>
    <message>
        <source>Create a new document.
New</source>
        <translation>Créer un nouveau document.
Nouveau</translation>
    </message>
    <message>
        <source>Open an existing document.
Open</source>
        <translation>Ouvrir un document existant.
Ouvrir</translation>
    </message>
    <message>
        <source>Save the active document.
Save</source>
        <translation>Enregistrer le document actif.
Enregistrer</translation>
    </message>
    <message>
        <source>Save the active document with a new name.
Save as</source>
        <translation>Enregistrer le document actif sous un nouveau nom.
Enregistrer sous</translation>
    </message>
    <message>
        <source>Delete the item from the repository.
Delete from repository</source>
        <translation>Supprimer l&apos;article de l&apos;inventaire.
Supprimer de l&apos;inventaire</translation>
    </message>
    <message>
        <source>Display program information.
About</source>
        <translation>Afficher les informations sur le programme.
À propos</translation>
    </message>
    <message>
        <source>Quit Voyanta.
Exit</source>
        <translation>Quitter Voyanta.
Quitter</translation>
    </message>
    <message>
        <source>Set up Voyanta.
Setup</source>
        <translation>Configurer Voyanta.
Configuration</translation>
    </message>
    <message>
        <source>Open the help of Voyanta.
Help</source>
        <translation>Ouvrir l&apos;aide de Voyanta.
Aide</translation>
    </message>
    <message>
        <source>Open the Terms and Conditions.
Terms and Conditions</source>
        <translation>Ouvrir les conditions d&apos;utilisation.
Conditions d&apos;utilisation</translation>
    </message>
    <message>
        <source>Open the web site of Voyanta.
Web Site</source>
        <translation>Ouvrir le site web de Voyanta.
Site web</translation>
    </message>
    <message>
        <source>Refresh the view.
Refresh</source>
        <translation>Actualiser l&apos;affichage.
Actualiser</translation>
    </message>
    <message>
        <source>Show or hide the toolbar.
Toggle tool bar</source>
        <translation>Afficher ou masquer la barre d&apos;outils.
Barre d&apos;outils</translation>
    </message>
    <message>
        <source>Show or hide the status bar.
Toggle status bar</source>
        <translation>Afficher ou masquer la barre d&apos;état.
Barre d&apos;état</translation>
    </message>
    <message>
        <source>Voyanta could not keep a copy of the trip&apos;s unsaved changes, which would bring them back after a crash: %1</source>
        <translation>Voyanta n&apos;a pas pu conserver une copie des modifications non enregistrées du voyage, qui permettrait de les retrouver après un plantage : %1</translation>
    </message>
</context>
<context>
    <name>ToolBar</name>
    <message>
        <source>Uncheck</source>
        <translation>Décocher</translation>
    </message>
    <message>
        <source>Check</source>
        <translation>Cocher</translation>
    </message>
</context>
</TS>
