# A story for the scripted fights (fight_scripts_test.cpp): one walled level
# of grass. A Mire Toad waits two tiles east of the hero, to be fled from; a
# Barrow Ogre far to the east, whom no hero survives. Format:
# data/story/README.md; compiled by the test at run time.

story start=0x1201 people_files=1

legend "." bg=1 tile=64
legend "#" bg=1 wall=5

region 0x1000 "Fenland"
map 0x1100 "Low Fen" music="music/vale.xm" loop=1
level 0x1201 "Fen" width=18 height=5 combat=1
row "##################"
row "#................#"
row "#................#"
row "#................#"
row "##################"

group 0x4100 "Weapons" kind=1
item 0x4101 "Ash Cudgel" value=1 sub=2 count=1000 icon=1 action="bash"
group 0x4300 "Remedies" kind=3
item 0x4301 "Minor Tonic" value=8 sub=0 count=10 icon=5 action="drink"
group 0x4400 "Armour" kind=4
item 0x4401 "Padded Jerkin" value=1 count=1000 icon=8
group 0x4700 "Claws" kind=1 priceless=1
item 0x4701 "Toad Tongue" value=1 sub=1 count=1000 icon=14 action="bite"
item 0x4702 "Ogre Maul" value=2 sub=2 count=1000 icon=15 action="gore"

monster 0x3001 "Mire Toad" stance=1 body=3,0,0,0 hp=30 level=1 dex=3 str=2 def=1 sprite="cbriarrat.spr" music="music/battle.xm" fixed=1
loot 0x4701 value="The Mire Toad lashes out with its tongue!"

monster 0x3002 "Barrow Ogre" stance=1 body=4,0,0,0 hp=900 level=9 dex=200 str=300 def=90 res=90 sprite="cmossboar.spr" music="music/battle.xm" fixed=1 noflee=1
loot 0x4702 value="The Barrow Ogre swings its maul!"

trigger 0x7001 level=0x1201
do 0x20F a=0
do 0x505 a=0x3001 b=0x1201 c=(4,2)
do 0x505 a=0x3002 b=0x1201 c=(16,2)
