<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS>
<context>
    <name>main.c:10</name>
    <message>
        <source>Open the file</source>
        <translation>Ouvrir le fichier</translation>
    </message>
</context>
<context>
    <name>main.c:20</name>
    <message numerus="yes">
        <source>One file deleted</source>
        <translation>
            <numerusform>Un fichier supprimé</numerusform>
            <numerusform>%d fichiers supprimés</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>main.c:30</name>
    <message>
        <source>Copying %s to {0}</source>
        <translation>Copie de %s vers {0}</translation>
    </message>
</context>
<context>
    <name>menu.c:5</name>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
</context>
<context>
    <name>main.c:40</name>
    <message>
        <source>First line
Second line</source>
        <translation>Première ligne
Deuxième ligne</translation>
    </message>
</context>
<context>
    <name>main.c:50</name>
    <message>
        <source>Café and crème brûlée</source>
        <translation type="unfinished">Café et crème brûlée</translation>
    </message>
</context>
<context>
    <name>main.c:60</name>
    <message>
        <source>The word λόγος is Greek</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
