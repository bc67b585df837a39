# The demo story: the village of Millbrook and the wood east of it.
# Format: data/story/README.md. Compiled by tools/storyc into gamedata/Story.

story start=0x1101 people_files=1

# --- map ---------------------------------------------------------------------

legend "." bg=1 tile=64             # grass
legend "," bg=2 tile=32             # cobbled road
legend "#" bg=1 wall=5              # field-stone wall
legend "H" bg=2 wall=9              # house wall
legend "D" bg=2 tile=32 wall=124    # open house door
legend "T" bg=1 tile=64 trees=0x41  # one tree (type 1, count 1)
legend "~" bg=3                     # pond
legend "c" bg=1 tile=64 object=3    # chest, closed
legend "w" bg=2 tile=32 object=7    # well
legend "L" bg=1 tile=64 wall=11     # fallen log
legend "*" bg=1 tile=64 decor=2     # reeds where the lantern lies

region 0x1000 "Fernreach"
map 0x1100 "Brackenvale" music="music/vale.xm" loop=1

level 0x1101 "Millbrook" width=16 height=12 right=0x1102 right_at=(0,4) music="music/village.xm" loop=1 combat=1
row "################"
row "#c....HHHH.....#"
row "#.....HHHH..T..#"
row "#.....HDHH.....#"
row "#..,,,,,,,,,,..."
row "#..,...w...,...."
row "#..,.......,,,,,"
row "#..,HHH.HHH,...."
row "#..,HDH.HDH,..T."
row "#.T,.......,...#"
row "#..,,,,,,,,,...#"
row "################"

level 0x1102 "Thistlewood" width=16 height=12 left=0x1101 left_at=(15,5) lighting=1 weather=2 combat=2
row "################"
row ",..T...T....T..#"
row ",....T.....~~~.#"
row ",,,,,...T..~~~.#"
row "...,,,,,,......#"
row "...T..T.,...T..#"
row ".T......,..T...#"
row "..,,,,,,,....T.#"
row "..,..T....####L#"
row ".T,.......#..T.#"
row "..,,,T....#.*..#"
row "################"
encounter monster=0x3001 value=30
encounter monster=0x3003 value=10
when kind=8 value=2                 # wisps come only to seasoned heroes

# The inn's stairs (town's legend "="): bare boards, not cobbles, so the
# stairs put the hero down one tile to the west going up and one to the
# east coming down.
legend "=" bg=2                     # the worn boards at the stairs

level 0x1103 "Copper Kettle" width=8 height=6 combat=1
row "HHHHHDHH"
row "H,,,,,,H"
row "H,,,,,,H"
row "H,,,,,=H"
row "H,,,,,,H"
row "HHHDHHHH"

# --- town: the inn's loft and its back yard -------------------------------------
# The loft must follow the inn in this map: the stairs go to the map's next
# level (and back to the previous one). The yard is reached through the
# inn's back door.

level 0x1104 "Kettle Loft" width=10 height=7 lighting=1 combat=1
row "HHHHHHHHHH"
row "H,,,,H,,,H"
row "H,,,,H,,,H"
row "H,,,=,,,,H"
row "H,,,,,,,,H"
row "H,,,,H,,,H"
row "HHHHHHHHHH"

level 0x1105 "Kettle Yard" width=12 height=9 music="music/village.xm" loop=1 combat=1
row "############"
row "#..T.....T.#"
row "#..........#"
row "#..,,,,,,..#"
row "#..,.w..,..#"
row "#..,....,..#"
row "#..,,,,,,..#"
row "#T.........#"
row "HHHHHDHHHHHH"


# --- the wilds north of the wood -------------------------------------------------
# A region of its own (its own music; entering it from the wood saves the
# game), a heath with a cairn whose steps lead down into an underground
# level: a name with "verworld" in it makes the hero walk there.

legend "S" bg=2 tile=32             # the cairn's worn steps
legend "r" bg=2 tile=32             # the hollow's floor
legend "k" bg=2 tile=32 object=3    # the delvers' chest, shut

# --- tiles: the wilds' look ---------------------------------------------------------
# Shade (1 a spot, 2 and 3 a wall's shadow below it and to its right,
# 4 leaves, 5 firelight), dry-stone quarters (set 1: 1-15 faces and loose
# stones, 16-30 crowns drawn above the characters) and animated objects
# (state: 1 a brazier, 2 the spring's ripples, 3 a wind vane).
# Characters: v t ( A ) : ; _ [ & ] % j on the heath, b g G @ n in the hollow.
legend "v" bg=1 tile=64 state=3 shade=1 blend=darken6     # a wind vane on its post
legend "t" bg=1 tile=64 trees=0x41 shade=4 blend=darken6  # a tree and its leaves' shadow
legend "(" bg=1 tile=64 quarters=1:22,21,8,7              # the cairn's stones: west end,
legend "A" bg=1 tile=64 quarters=1:21,21,7,7              # middle,
legend ")" bg=1 tile=64 quarters=1:21,23,7,9              # east end
legend ":" bg=1 tile=64 shade=3 blend=darken6             # grass in the cairn's shadow (east)
legend ";" bg=1 tile=64 shade=2 blend=darken12            # grass in a wall's shadow (below)
legend "_" bg=2 tile=32 shade=2 blend=darken12            # the cairn's steps in its shadow
legend "[" bg=1 tile=64 quarters=1:16,16,1,1              # a ruined dry-stone wall: whole,
legend "&" bg=1 tile=64 quarters=1:19,20,4,5              # its crown half fallen, mossy,
legend "]" bg=1 tile=64 quarters=1:18,0,3,6               # its broken end,
legend "%" bg=1 tile=64 quarters=1:0,0,0,6                # a stone fallen from it
legend "j" bg=1 tile=64 trees=0x41 shade=2 blend=darken12 # a tree in the wall's shadow
legend "b" bg=2 tile=32 state=1 shade=5 blend=lighten12   # a brazier burning
legend "g" bg=2 tile=32 shade=5 blend=lighten12           # the hollow's floor in their light
legend "G" bg=2 tile=32 shade=5 blend=lighten6            # the steps between them, a little less
legend "@" bg=3 state=2                                   # the spring, welling up
legend "n" bg=2 tile=32 shade=2 blend=darken6             # the floor under the north wall

region 0x9000 "Orrowmere Wilds"
map 0x9100 "Orrowmere" music="music/wild.xm" loop=1

level 0x9101 "Orrow Heath" width=12 height=10 combat=2
row "############"
row "#v...tt....#"
row "#..t.(A):..#"
row "#....;_;...#"
row "#..........#"
row "#.t....~~..#"
row "#[&]%..~~..#"
row "#;;j.......#"
row ",,,,,......#"
row "############"

level 0x9102 "Delverworld Hollow" width=10 height=8 lighting=1 combat=2
row "##########"
row "#nnnnnnnn#"
row "#rrrgbgbg#"
row "#rrrrgGg@#"
row "#rrrrrrrr#"
row "#rkrrrrrr#"
row "#rrrrrSrr#"
row "##########"

# --- monsters: the deep below the hollow ------------------------------------------
# Two levels appended to the map after the hollow, reached by its second
# steps (6,6): the drowned stair, with a flooded shaft that is the end of
# anyone who climbs into it, and the sunken galleries of the delvers, with
# their crawlers and beetles, a ghost who drinks, and the Bellwarden.
# Legend characters of this block: "Q" (the shaft's black water).

legend "Q" bg=3                     # the drowned shaft: black water, no bottom

level 0x9103 "The Drowned Stair" width=12 height=10 lighting=1 combat=2
row "############"
row "#rrr########"
row "#rQrrrrrrrr#"
row "#rrr#rrrrrr#"
row "#rrr#rrrrrr#"
row "#####rrrrrr#"
row "#rrrrrSrrrr#"
row "#rrrrrrrrrr#"
row "#rrrrrrrrSr#"
row "############"

level 0x9104 "Sunken Galleries" width=14 height=10 lighting=1 combat=2
row "##############"
row "#rrrr#rrrrrrr#"
row "#rrrr#rrrrrrr#"
row "#rrrrrrrr#rrr#"
row "######rrr#rrr#"
row "#rrrrrrrr#rrr#"
row "#rrrr##rrrrrr#"
row "#rrrrrrrrrrrr#"
row "#rrrrrrrrSrrr#"
row "##############"
encounter monster=0x3004 value=30
when kind=3 not=1 id=0x5031       # the galleries fall quiet once the warden is down
encounter monster=0x3005 value=12
when kind=3 not=1 id=0x5031

# --- the wilds: Sallow Fen and the wardens' undercroft ------------------------
# Down a sheep track from the heath's north-east corner: a fen with a ring
# of waystones whose heart-stone opens the old lamp-wardens' door and, once
# it stands open, carries the hero back to the last place he marked. New
# legend characters: o (a standing stone), O (the heart-stone), d (the
# wardens' door, shut: wall 125; open it is wall 124, the open doorway).

legend "o" bg=1 tile=64 wall=5      # a standing stone of the ring
legend "O" bg=2 tile=32 wall=5      # the ring's heart-stone
legend "d" bg=2 tile=32 wall=125    # the wardens' door, shut

map 0x9200 "Greyfen" music="music/wild.xm" loop=1

level 0x9201 "Sallow Fen" width=12 height=10 lighting=2 combat=2
row "############"
row "#~~~..#d#..#"
row "#~~*.......#"
row "#~*.o....o.#"
row "#~.........#"
row "#.T....O...#"
row "#..........#"
row "#..To....oT#"
row ",,,,,,.....#"
row "############"

level 0x9202 "Wardens' Undercroft" width=10 height=8 lighting=1 combat=2
row "##########"
row "#rrrrrrrr#"
row "#rwrrrrkr#"
row "#rrrrrrrr#"
row "#rrrrrrrr#"
row "#rrrrrrro#"
row "#rrrrrrrr#"
row "####S#####"

# --- items ---------------------------------------------------------------------
# icon= names the picture tiles/item_<icon>.bmp (86 is the gold coin);
# action= the combat action script actions/<action>.txt; use= what combat says
# when the item is used.

group 0x4100 "Weapons" kind=1
item 0x4101 "Ash Cudgel" value=1 sub=2 count=1000 icon=1 action="bash" text2="A knotted length of ash. Heavy enough."
item 0x4102 "Hunting Knife" value=2 sub=0 count=1000 icon=2 action="slash" text2="Thin, sharp, and well looked after."
item 0x4103 "Thornspear" value=4 sub=1 count=1000 icon=3 action="thrust" text2="A spear tipped with blackthorn wood."

group 0x4200 "Wands" kind=2
item 0x4201 "Ember Twig" value=1 sub=1 aim=1 count=20 icon=4 action="ember" use="Sparks leap from the Ember Twig!" text2="Warm to the touch. It crackles when waved."

# Heal after battles drinks only remedies of more than five uses (the Minor
# Tonic); the Greater Tonic is kept for the fights. A remedy costs a quarter
# of its value with fewer than seven uses and nine eighths of it with more.
group 0x4300 "Remedies" kind=3
item 0x4301 "Minor Tonic" value=8 sub=0 count=10 icon=5 action="drink" text2="Tastes of mint and river water."
item 0x4302 "Greater Tonic" value=40 sub=0 count=5 icon=6 action="drink" text2="Thick, green and very bitter."
item 0x4303 "Draught of Vigour" value=1 sub=2 count=1 icon=7 action="drink" use="You gulp down the bitter draught." text2="For a while, your arms feel twice as strong."

group 0x4400 "Armor" kind=4
item 0x4401 "Padded Jerkin" value=1 count=1000 icon=8 text2="Quilted wool, stitched twice."
item 0x4402 "Boiled Leather Coat" value=2 count=1000 icon=9 text2="Stiff and creaking, but it turns a blade."

group 0x4500 "Shields" kind=5
item 0x4501 "Wicker Buckler" value=1 count=1000 icon=10 text2="Woven willow over a birch frame."
item 0x4502 "Oak Roundshield" value=2 count=1000 icon=11 text2="Iron-rimmed oak, heavy on the arm."

group 0x4600 "Keepsakes" kind=6 priceless=1
item 0x4601 "Marta's Lantern" price=0 icon=12 text2="A brass lantern, green with pond weed."
item 0x4602 "Letter from Hesk" price=0 icon=13 text2="A folded note, sealed with candle wax."
item 0x4603 "Delver's Bell" price=0 icon=12 text2="A small bronze bell. It rings with no tongue."

# What the monsters fight with: priceless, sold nowhere, never dropped.
group 0x4700 "Claws and Fangs" kind=1 priceless=1
item 0x4701 "Teeth" value=1 sub=1 count=1000 icon=14 action="bite" text2="Small, yellow and very sharp."
item 0x4702 "Tusks" value=2 sub=2 count=1000 icon=15 action="gore" text2="Curved and caked with mud."
item 0x4703 "Marsh Fire" kind=2 value=2 sub=1 count=1000 icon=16 action="wispfire" text2="A cold green flame."

# --- story state -----------------------------------------------------------------

flag 0x5001 "LANTERN_ASKED"
flag 0x5002 "LANTERN_RETURNED"
flag 0x5003 "LOG_MOVED"
flag 0x5004 "LANTERN_FOUND"
flag 0x5005 "CHEST_OPENED"
flag 0x5006 "HEATH_SEEN"
# The wilds' fen: where the ring's heart-stone carries the hero (a level
# and a tile; at first the cairn's foot on the heath), whether the wardens'
# hymn was sung, and whether their font kindled the lantern.
flag 0x5020 "WAYMARK" value=0x9101 hi=(5,4)
flag 0x5021 "HYMN_SUNG"
flag 0x5022 "LANTERN_KINDLED"

quest 0x6001 "The Drowned Lantern" text1="Marta's lantern" text2="Marta of the Copper Kettle lost her lantern by the pond in Thistlewood, east of the village. Find it and bring it back."

# --- people ------------------------------------------------------------------------
# Ids are chosen so that no person lands in 00.npc, which stays empty.

# She stays at her door (looking about, turning to whoever comes up): the
# story sends the hero to her twice, and one who wanders off is hard to catch.
npc 0x2001 "Marta Quill" stance=0 body=0,1,1,1 face=1,0,1,1,1,0,1,1 clothes=1
topic "[main]:Good evening#3" reply="Welcome to the Copper Kettle. Mind the step." request="Lantern,Rumours,Bye,Upstairs"
topic "[main]:You're back#2" reply="Any sign of my lantern out there?" request="Lantern,Room,Bye,Upstairs"
when kind=3 id=0x5001
topic "[main]:My lantern#1" reply="You found it! Bless you. Take this for your trouble." request="Rumours,Bye" hide=0x5002
when kind=1 id=0x4601
do 0x204 a=5 b=3                    # she smiles (portrait part 5, the mouth)
do 0x102 a=0x4601
do 0x209 a=0x6001 b=1
do 0x103 a=60
do 0x302 a=0x5002 b=1
do 0x20C                            # the end of the demo: the lantern in the window
topic "Lantern" reply="My grandmother's lantern. I dropped it by the pond in Thistlewood, east of the village, and a rat chased me off." request="Rumours,Bye"
do 0x209 a=0x6001 b=0
do 0x302 a=0x5001 b=1
topic "Rumours" reply="Old Hesk lives out in the wood. He knows every path there, if you can get a word out of him." request="Lantern,Bye"
topic "Room" reply="A bed upstairs, and breakfast in the morning. Sleep well." request="Lantern,Bye"
do 0x206 a=9999                     # the night heals him; the sleep screen only shows it
do 0x208
topic "Upstairs" reply="The stairs by the east wall go up to the loft: a drover, a tinker, and a player who rehearses at the walls all night. The door in the back wall lets out onto the yard." request="Lantern,Bye"
topic "Bye" reply="Safe roads, then."

npc 0x2002 "Dunstan Ferrow" stance=6 body=0,2,1,2 face=2,1,2,2,1,0,2,1 clothes=2
topic "[main]:Hail#1" reply="Blades. Nothing fancy, all of it honest." request="Weapons,Armor,Bye"
topic "Weapons" reply="Have a look."
do 0x202 a=0x2002 b=1 c=1
topic "Armor" reply="Not any more. Brannoc Tull has the armor now, in the Copper Kettle's back yard. Through the inn and out the back door."
topic "Bye" reply="Come back when you've dulled that edge."

npc 0x2003 "Old Hesk" stance=9 body=0,3,2,3 face=3,2,3,3,2,1,3,2 clothes=3
topic "[main]:Who goes there#2" reply="Hm. Another one from the village." request="Lantern,Bye,Paths"
topic "[main]:Still here#1" reply="The log is out of your way. Go on." request="Bye,Paths"
when kind=3 id=0x5003
topic "Lantern" reply="By the pond? Then the rain's washed it down to the reeds in the south-east corner. The path there is blocked by a fallen trunk. I'll shift it for you. And take this to Marta, she'll want to know I'm alive." request="Bye"
do 0x302 a=0x5003 b=1
do 0x101 a=0x4602
topic "Paths" reply="The road, the pond, and the deer track. That one leaves the wood in its north-east corner and climbs to Orrow Heath. Wenna Brisk walks the heath; ask her about the cairn." request="Bye"
topic "Bye" reply="Mind the rats."

npc 0x2004 "Pell Marrow" stance=6 body=0,2,3,1 face=1,0,2,3,1,0,1,3 clothes=4
topic "[main]:Halt#1" reply="Going east? The wood is thick with briar rats this year." request="Training,Fee,Wood,Bye"
topic "Training" reply="Ten gold a level and I'll shake you out and set you up anew. Stand still."
when kind=10                        # only when the hero can pay his fee
do 0x212                            # the stats screen: the hero's points shared out again
topic "Fee" reply="Ten gold for every level you've reached, paid before I lift a finger. Come back when your purse agrees."
when kind=10 not=1                  # instead of "Training" while he cannot pay
topic "Wood" reply="Keep to the road and you'll be fine. Mostly."
topic "Bye" reply="On your way."

npc 0x2005 "Ivy Tamsel" stance=2 body=0,1,2,2 face=2,1,1,2,3,0,2,2 clothes=5
topic "[main]:Hello, traveller#1" reply="Tonics, draughts, something for the nerves? Wands, too, if you've the head for them." request="Remedies,Wands,Bye"
topic "Remedies" reply="Everything is fresh this week."
do 0x202 a=0x2005 b=3 c=1
topic "Wands" reply="Cut and charmed in my own garden. Mind the Hazel Switch, it bites back."
do 0x202 a=0x2005 b=2 c=1
topic "Bye" reply="Drink slowly."


npc 0x2006 "Wenna Brisk" stance=7 body=0,1,3,2 face=3,1,2,1,2,0,3,3 clothes=2
topic "[main]:That lantern#1" reply="Brass, and old. A delver's lamp, that is, not an innkeeper's. Keep it and come with me past the moor, or take it back to the village." request="Come along,Green flame,Bye,The fen"
when kind=1 id=0x4601
topic "[main]:Careful#2" reply="The cairn goes down further than it looks. The delvers left more than bones." request="Tonic,Short of coin,The fen,Bye"
when kind=1 not=1 id=0x4601
topic "Tonic" reply="Two coins, and it's yours. It'll keep you on your feet down there."
when kind=2 value=2                 # offered only to a hero with the coins
do 0x104 a=2
do 0x101 a=0x4301
topic "Short of coin" reply="Not even two coins? Sit down a moment. Bread, cheese, and no thanks wanted."
when kind=2 not=1 value=2           # a hero without the tonic's price
do 0x206 a=15
topic "The fen" reply="Down the sheep track in the heath's north-east corner lies Sallow Fen. The lamp-wardens' ring stands there; its heart-stone knows the way home, they say. And the hollow under the cairn has a second stair, further down." request="Bye"
topic "Green flame" reply="It burns without oil now. The wardens took to you, then. Mind you don't take to them." request="Come along,Bye"
when kind=3 id=0x5022
topic "Come along" reply="Good. Marta will light another. We leave at first light."
do 0x20D                            # the second ending: off into the wilds with Wenna
topic "Bye" reply="Walk, don't run, down there."

# --- monsters ------------------------------------------------------------------------
# offset= moves the monster right of the screen's left edge and the hero as
# far left of its right edge, so that the two stand a little apart.
# Without fixed=1 combat generates the stats from the hero's level, the rank
# and the class. A loot line's value= is the whole line combat shows when the
# monster strikes with that item.

# The first fight: the rat shrugs off blunt blows and fire, so the cudgel
# and the twig take three to six blows by the difficulty. The boar by the
# wood's path shrugs off the cudgel too, and can win against it.
monster 0x3001 "Briar Rat" stance=1 body=3,0,0,0 hp=20 level=1 dex=3 str=2 def=1 sprite="cbriarrat.spr" offset=16 music="music/battle.xm" rank=1 class=0 physical=1 magic=0
loot 0x4701 value="The Briar Rat sinks its teeth into your ankle!"
do 0x103 a=5

monster 0x3002 "Mossback Boar" stance=1 body=4,0,0,0 hp=60 level=2 dex=2 str=1 def=2 res=1 sprite="cmossboar.spr" offset=8 music="music/battle.xm" rank=2 class=1 physical=1 magic=2 fixed=1 appear="boar_snort"
loot 0x4702 value="The Mossback Boar lowers its tusks and charges!"
do 0x101 a=0x4302                   # always leaves a Greater Tonic, no gold
do 0x103 a=20

monster 0x3003 "Hollow Wisp" stance=2 body=5,0,0,0 hp=30 level=2 dex=6 str=1 knw=6 res=4 attack=1 sprite="chollowwisp.spr" offset=24 music="music/battle.xm" rank=1 class=2 physical=4 magic=0 noflee=1
loot 0x4703 value="The Hollow Wisp flares with marsh fire!"

# --- triggers --------------------------------------------------------------------------

# Start of the game: leave the HUD, put everyone in place, tell the story.
trigger 0x7001 level=0x1101
do 0x20F a=0
do 0x503 a=0x2001 b=0x1101 c=(4,5)
do 0x503 a=0x2002 b=0x1101 c=(9,9)
do 0x503 a=0x2004 b=0x1101 c=(13,5)
do 0x503 a=0x2005 b=0x1101 c=(5,9)
do 0x503 a=0x2003 b=0x1102 c=(12,6)
do 0x505 a=0x3002 b=0x1102 c=(7,2)
do 0x201 text="Millbrook, on the edge of Thistlewood. The inn's lamp is lit, and the landlady looks worried."

# The old chest in the corner of the village.
trigger 0x7002 level=0x1101
when kind=6 aux=1 id=0x1101 value=(1,1)
do 0x101 a=0x4301
do 0x103 a=25
do 0x302 a=0x5005 b=1
do 0x501 a=0x1101 b=(1,1) c=0x40006    # object (field 6) becomes 4: the open chest

# The village well: a sign, read again whenever acted on.
trigger 0x7003 level=0x1101 repeat=1
when kind=6 aux=1 id=0x1101 value=(7,5)
do 0x201 text="Carved on the well: MILLBROOK, DUG IN THE YEAR OF THE LONG FROST."

# A fallen trunk closes the only way into the reeds' corner, behind the
# field-stone wall; Hesk rolls it aside once asked about the lantern, when
# the hero next comes down beside the east fence.
trigger 0x7004 level=0x1102
when kind=3 id=0x5003
when kind=6 id=0x1102 value=(14,7)
do 0x501 a=0x1102 b=(14,8) c=5                 # wall (field 5) becomes 0
do 0x201 text="With a grunt, Hesk rolls the trunk aside."

# The lantern among the reeds.
trigger 0x7005 level=0x1102
when kind=6 id=0x1102 value=(12,10)
do 0x101 a=0x4601
do 0x302 a=0x5004 b=1
do 0x201 text="#TGreen with pond weed, but whole.\nMarta will be glad."

# The inn's door and the way back out: stepping on a door moves the hero.
trigger 0x7006 level=0x1101 repeat=1
when kind=6 id=0x1101 value=(7,3)
do 0x402 a=0x1103 b=(3,4)

trigger 0x7007 level=0x1103 repeat=1
when kind=6 id=0x1103 value=(3,5)
do 0x402 a=0x1101 b=(7,4)

# The inn's guest book on the counter, read with the action key.
trigger 0x7008 level=0x1103 repeat=1
when kind=6 aux=1 id=0x1103 value=(6,1)
do 0x201 text="#BThe Copper Kettle\nGuests of the autumn\n\nA drover and dog: 2 nights\nA tinker: 1 night\nOld Hesk: supper only\n\nAll paid in full.\n- M. Quill"

# A deer track in the wood's north-east corner leads out to the heath; on
# the way a lid grinds open below it (the chest in the hollow).
trigger 0x7009 level=0x1102 repeat=1
when kind=6 id=0x1102 value=(14,1)
do 0x502 a=0x9102 b=(2,5)
when kind=7 value=0                 # never: the chest's own state, not its wall's
do 0x601 text="sfx\\switchon.wav"       # the lid's clunk, heard from below
do 0x402 a=0x9101 b=(1,8)

trigger 0x9001 level=0x9101 repeat=1
when kind=6 id=0x9101 value=(0,8)
do 0x402 a=0x1102 b=(13,1)

# The first look at the heath: the camera goes to the cairn, Wenna walks up
# to it, a moment's wait, the camera comes back and the hero steps on.
trigger 0x9002 level=0x9101
do 0x503 a=0x2006 b=0x9101 c=(9,1)
do 0x405 b=(6,3)
do 0x404 a=0x2006 b=(9,4)
do 0x207 a=1500
do 0x406
do 0x205 b=(3,8)
do 0x302 a=0x5006 b=1
do 0x201 text="Orrow Heath. Wind, heather, and a cairn of grey stones with steps going down into it."

# The cairn's steps down, and back up.
trigger 0x9003 level=0x9101 repeat=1
when kind=6 id=0x9101 value=(6,3)
do 0x401 a=0

trigger 0x9004 level=0x9102 repeat=1
when kind=6 id=0x9102 value=(6,3)
do 0x401 a=1

# The delvers' chest, opened from the wood; the action key takes the bell.
trigger 0x9005 level=0x9102
when kind=6 aux=1 id=0x9102 value=(2,5)
when kind=5 id=0x9102 value=(2,5)   # only once the lid is open
do 0x201 text="The lid stands open. Inside, on a bed of dust: a small bronze bell and a delver's purse."
do 0x101 a=0x4603
do 0x103 a=40
do 0x105 a=15

# Still shut (the deer track not taken): the lid does not move.
trigger 0x9006 level=0x9102 repeat=1
when kind=6 aux=1 id=0x9102 value=(2,5)
when kind=5 not=1 id=0x9102 value=(2,5)
do 0x201 text="The lid will not move. Something up above holds it shut."

# The delvers' spring beside the steps: once, it mends the hero and makes
# him a little stronger in every way.
trigger 0x9007 level=0x9102
when kind=6 aux=1 id=0x9102 value=(8,3)
do 0x20A
do 0x213                            # a rest by the water: the game saves itself
do 0x201 text="The spring is bitter and very cold. You feel a little more of everything."

# --- town: the inn's loft and yard, the armourer, the mummer's wager ----------------
# Ids: people 0x2007-0x201F, items 0x4800-0x48FF, flags 0x5010-0x501F,
# quests 0x6010-0x601F, triggers 0x7010-0x704F. Nobody of this block stands
# in Millbrook itself: the scripted roads walk there.

# Stock for a hero of the demo's levels: shops list what fits his level
# (weapons, wands, armour and shields of value 1 and 2 at levels 1 and 2,
# 2 and 3 from level 3 on).
group 0x4800 "Hedge Wands" kind=2
item 0x4801 "Rushlight Wand" value=1 sub=0 aim=1 count=20 icon=48 action="ember" use="A rushlight flame hops from the wand!" text2="Peeled rush pith bound to a stick. It gutters like a candle."
item 0x4802 "Hazel Switch" value=2 sub=2 aim=3 count=15 icon=49 action="ember" use="The Hazel Switch cracks like a whip of fire!" text2="Cut at midsummer, or so Ivy says."

group 0x4810 "Yard Weapons" kind=1
item 0x4811 "Woodman's Hatchet" value=3 sub=2 count=1000 icon=50 action="bash" text2="Short, heavy and honest. Dunstan put the edge on it himself."

group 0x4820 "Brannoc's Mail" kind=4
item 0x4821 "Studded Hauberk" value=3 count=1000 icon=51 text2="Leather sewn with iron studs, to the knee."

group 0x4830 "Brannoc's Shields" kind=5
item 0x4831 "Bossed Kiteshield" value=3 count=1000 icon=52 text2="A long shield with an iron boss. Brannoc's own pattern."

flag 0x5010 "WAGER_TAKEN"              # the hero wears the mummer's motley
flag 0x5011 "BRANNOC_FOOLED"           # the armorer took him for Ossery
flag 0x5012 "WAGER_WON"                # Ossery paid, and has his face back

quest 0x6010 "The Mummer's Wager" text1="Ossery's wager" text2="Ossery Finch, a player lodging at the Copper Kettle, bets that Brannoc the armorer will take you for him if you wear his motley. Find Brannoc in the inn's back yard, then tell Ossery."

# The drover at the top of the stairs speaks first, then goes.
npc 0x2007 "Corwin Dray" stance=8 body=0,2,2,1 face=2,2,1,3,2,0,1,2 clothes=3
topic "[main]:At last#1" reply="There you are. I heard the boards. Marta said a traveller might come up. The mummer in the far room has been talking at the walls all night; he'll want an audience. Me, I'm off to market before the rain." request="Safe road"
topic "Safe road" reply="And you. Mind the third step down, it bites."
do 0x506 a=0x2007                   # he leaves the loft, and the story

npc 0x2008 "Ossery Finch" stance=3 body=0,1,1,3 face=3,3,2,1,1,1,2,1 clothes=0
topic "[main]:An audience!#4" reply="Ossery Finch, player, at your service. I rehearse my Harvest King. Brannoc the armorer boasts he knows every face in Fernreach. I'd wager he doesn't know mine on another man." request="Wager,Bye"
topic "[main]:Off you go#3" reply="Chin up, knees high, and don't smile. Brannoc's in the yard, out the inn's back door." request="Call it off,Bye"
when kind=3 id=0x5010
topic "[main]:My understudy#2" reply="Ah, my understudy. If ever you tire of the road, the stage has room for a face like yours. Well, like mine." request="Bye"
when kind=3 id=0x5012
topic "[main]:Did he bow?#1" reply="He called you Ossery? Ha! Twelve coins, as wagered. Now give me back my face, I've a show tonight." request="Bye" hide=0x5012
when kind=3 id=0x5011
do 0x20E a=0                        # the hero's own looks again
do 0x302 a=0x5010 b=0
do 0x209 a=0x6010 b=1
do 0x103 a=12
topic "Wager" reply="Wear my spare motley and walk like me. If Brannoc calls you Ossery, twelve coins are yours. Hold still..." request="Bye"
when kind=3 not=1 id=0x5010          # not while he already wears it
when kind=3 not=1 id=0x5012          # nor once it is won
do 0x20E a=0x2008                   # the hero takes the mummer's looks
do 0x302 a=0x5010 b=1
do 0x209 a=0x6010 b=0
topic "Call it off" reply="Cold feet? Give it here, then. The offer stands."
when kind=3 id=0x5010
do 0x20E a=0
do 0x302 a=0x5010 b=0
topic "Bye" reply="Exit, pursued by a drover."

npc 0x2009 "Tobin Reed" stance=1 body=0,2,3,2 face=1,2,3,2,3,0,3,1 clothes=5
topic "[main]:Mmh?#1" reply="Mmh? Tinker. Pots, pans, kettles. Not now. Night, was it? Always night up here." request="Bye"
topic "Bye" reply="Zzz."

npc 0x200A "Brannoc Tull" stance=8 body=0,2,1,3 face=2,0,3,1,2,1,1,3 clothes=1
topic "[main]:Ossery!#1" reply="Ossery Finch! Back for the helm you never paid for? ...Hold on. You're a head taller than Ossery. Ha! Tell the old goat he's won." request="Armor,Trade in,Hauberk,Bye" hide=0x5011
when kind=3 id=0x5010                # only in the mummer's motley
topic "[main]:Morning#2" reply="Brannoc Tull, armorer. Jerkins, coats, bucklers. I know every face in Fernreach, and yours is new." request="Armor,Trade in,Hauberk,Bye"
topic "Armor" reply="Coats on the left, shields on the rack."
do 0x202 a=0x200A b=4 c=1
topic "Trade in" reply="Let's see what you're carrying. Six in ten of what I'd ask, for armor."
do 0x202 a=0x200A b=4 c=0           # the shop opens on its selling page
topic "Hauberk" reply="The studded one? It would wear you, not you it. Come back when you've a few more fights behind you."
when kind=8 not=1 value=3           # for heroes below the third level
topic "Bye" reply="Keep your guard up."

npc 0x200B "Pip" stance=4 body=0,1,2,3 face=1,1,2,2,1,0,1,1 clothes=2
topic "[main]:Can I come?#1" reply="I'm Pip. I mind the yard for Marta. Can I walk with you? I won't talk. Much." request="Bye"
topic "Bye" reply="I'll be just behind you."

npc 0x200C "Wren Colley" stance=5 body=0,1,3,1 face=3,2,1,2,3,0,2,2 clothes=4
topic "[main]:Oh!#1" reply="Oh! I- the geese. I'm minding the geese. There are no geese. Please don't look at me." request="Bye"
topic "Bye" reply="..."

# The inn's stairs up to the loft and down again; its back door to the yard
# and the yard's way back in.
trigger 0x7010 level=0x1103 repeat=1
when kind=6 id=0x1103 value=(6,3)
do 0x401 a=0

trigger 0x7011 level=0x1104 repeat=1
when kind=6 id=0x1104 value=(4,3)
do 0x401 a=1

trigger 0x7012 level=0x1103 repeat=1
when kind=6 id=0x1103 value=(5,0)
do 0x402 a=0x1105 b=(5,7)

trigger 0x7013 level=0x1105 repeat=1
when kind=6 id=0x1105 value=(5,8)
do 0x402 a=0x1103 b=(5,1)

# The loft's guests, put in place when the hero first comes up; the drover
# at the top of the stairs speaks to him.
trigger 0x7014 level=0x1104
do 0x503 a=0x2007 b=0x1104 c=(6,3)
do 0x503 a=0x2008 b=0x1104 c=(7,2)
do 0x503 a=0x2009 b=0x1104 c=(2,1)
do 0x203 a=0x2007

# The yard's people.
trigger 0x7015 level=0x1105
do 0x503 a=0x200A b=0x1105 c=(10,4)
do 0x503 a=0x200B b=0x1105 c=(2,3)
do 0x503 a=0x200C b=0x1105 c=(1,1)

# --- the wilds: Sallow Fen and the wardens' undercroft ------------------------

# The sheep track from the heath's north-east corner down to the fen, and
# the fen's track back up.
trigger 0x9020 level=0x9101 repeat=1
when kind=6 id=0x9101 value=(10,1)
do 0x402 a=0x9201 b=(1,8)

trigger 0x9021 level=0x9201 repeat=1
when kind=6 id=0x9201 value=(0,8)
do 0x402 a=0x9101 b=(10,2)

# The hymn, locked on in the undercroft, follows the hero until he is back
# up on the heath anywhere but on the sheep track down again.
trigger 0x9022 level=0x9101
when kind=3 id=0x5021
when kind=6 not=1 id=0x9101 value=(10,1)
do 0x605
do 0x602 b=0 text="music/wild.xm"
do 0x201 text="Up on the heath the wind takes the hymn, a thread at a time, until there is only the wind."

# The wardens' door: barred while shut; open, it leads down.
trigger 0x9023 level=0x9201 repeat=1
when kind=6 aux=1 id=0x9201 value=(7,1)
when kind=4 id=0x9201 value=(7,1)   # the door's wall state: shut
do 0x201 text="An oak door bound with bronze, barred from within. Behind you the ring's stones seem to lean closer."

trigger 0x9024 level=0x9201 repeat=1
when kind=6 id=0x9201 value=(7,1)
do 0x402 a=0x9202 b=(4,6)

trigger 0x902E level=0x9201 repeat=1
when kind=6 aux=1 id=0x9201 value=(7,1)
when kind=4 not=1 id=0x9201 value=(7,1)   # open: the action key goes in too
do 0x402 a=0x9202 b=(4,6)

# The ring's heart-stone: the first touch draws the door's bar (the door's
# wall state toggled off: the open doorway); with the door open it carries
# the hero to the place last marked (the flag's level and tile).
trigger 0x9025 level=0x9201
when kind=6 aux=1 id=0x9201 value=(7,5)
when kind=4 id=0x9201 value=(7,1)
do 0x502 a=0x9201 b=0x18007         # (7,1), bit 15: the state off
do 0x601 text="sfx\\switchon.wav"
do 0x201 text="The heart-stone is warm under your hand. Across the fen a bar grinds back, and the wardens' door swings open."

trigger 0x9026 level=0x9201 repeat=1
when kind=6 aux=1 id=0x9201 value=(7,5)
when kind=4 not=1 id=0x9201 value=(7,1)   # the door stands open
do 0x201 text="The ring hums. The fen tilts, the heather rushes past, and the stone lets go of you where you last set your mark."
do 0x403 a=0x5020

# Healwort among the reeds: now and then a patch mends a few scratches.
trigger 0x9027 level=0x9201 repeat=1
when kind=6 id=0x9201 value=(2,3)
when kind=9 value=30
do 0x206 a=5
do 0x601 text="sfx\\getitem.wav"

trigger 0x9028 level=0x9201 repeat=1
when kind=6 id=0x9201 value=(3,2)
when kind=9 not=1 value=70          # the other 30 in a hundred
do 0x206 a=5
do 0x601 text="sfx\\getitem.wav"

# Down in the undercroft: silence, told on the first test of the level
# that is not the step onto the threshold's inner tile (arriving by the
# action key, or the first step off it). The map plays its music again on
# coming back from a screen, so the stop comes after the page.
trigger 0x9029 level=0x9202
when kind=6 not=1 id=0x9202 value=(4,6)
do 0x201 text="The wind is gone. Down here there is no sound at all, not even your own breath."
do 0x603

trigger 0x902A level=0x9202 repeat=1
when kind=6 id=0x9202 value=(4,7)
do 0x402 a=0x9201 b=(7,2)

# The wardens' font: their hymn rises (locked, it follows the hero out),
# the font kindles a lantern the hero carries, and it leaves him a gift
# fit for a hero a little stronger than he is.
trigger 0x902B level=0x9202
when kind=6 aux=1 id=0x9202 value=(2,2)
do 0x604 b=0 text="music/hymn.xm"
do 0x302 a=0x5021 b=1
do 0x301 a=0x5022
when kind=1 id=0x4601               # kindled only if he carries the lantern
do 0x201 text="Water wells up in the stone font, and from the walls a slow hymn rises. Something glints at the bottom of the basin."
do 0x210

# The wardens' tithe box: coins by how hardy the hero is; the lid stays open.
trigger 0x902C level=0x9202
when kind=6 aux=1 id=0x9202 value=(7,2)
do 0x211
do 0x502 a=0x9202 b=(7,2)
when kind=7 not=1 value=1           # never: the box's own state, not a wall bit

# The mark-stone: the heart-stone will bring the hero here.
trigger 0x902D level=0x9202 repeat=1
when kind=6 aux=1 id=0x9202 value=(8,5)
do 0x302 a=0x5020 b=0x9202 c=(7,5)
do 0x201 text="You scratch your sign into the mark-stone beside the wardens' own. The ring will know it."

# --- monsters: the deep below the hollow (records) ---------------------------------
# What the deep's monsters fight and drink with: priceless, sold nowhere.

group 0x4900 "Fangs of the Deep" kind=1 priceless=1
item 0x4901 "Hooked Pincers" value=2 sub=1 count=1000 icon=14 action="bite" text2="Pale, hooked and quick."
item 0x4902 "Slate Jaws" value=3 sub=2 count=1000 icon=15 action="gore" text2="Grey jaws that grind like millstones."
item 0x4903 "Warden's Maul" value=4 sub=2 count=1000 icon=15 action="gore" text2="A block of bronze on an iron haft."
item 0x4904 "Knell" kind=2 value=3 sub=2 count=1000 icon=16 action="wispfire" text2="One note of a cracked bell, cold as well water."

group 0x4910 "Delvers' Flasks" kind=3 priceless=1
item 0x4911 "Delvers' Grog" value=20 sub=0 count=1 icon=5 action="swig" use="The Tippling Delver swigs from his flask!" text2="Dark, thick, and older than the village."

flag 0x5030 "DEEP_REACHED"
flag 0x5031 "WARDEN_FELLED"

quest 0x6030 "The Tolling Below" text1="The bell below the hollow" text2="Something in the galleries under Delverworld Hollow still rings the delvers' bell. Find what tolls it and silence it."

# Generated from the hero's level: the crawler (rank 2, mostly strength)
# and the beetle (rank 3, strength and a thick hide) come at random in
# the galleries; the beetle also dozes by the drowned stair's lower steps.
monster 0x3004 "Gallery Crawler" stance=1 body=3,0,0,0 sprite="cgallerycrawler.spr" offset=12 music="music/battle.xm" rank=2 class=1 physical=0 magic=1
loot 0x4901 value="The Gallery Crawler snaps with its hooked pincers!"

monster 0x3005 "Slatehide Beetle" stance=9 body=4,0,0,0 sprite="cslatebeetle.spr" offset=8 music="music/battle.xm" rank=3 class=3 physical=2 magic=1
loot 0x4902 value="The Slatehide Beetle rams you with its slate jaws!"

# A ghost with nothing but his flasks: he drinks one each turn while they
# last (a monster drinks only what it carries alone), then only sways.
monster 0x3006 "Tippling Delver" stance=2 body=0,3,3,1 sprite="ctippler.spr" offset=20 music="music/battle.xm" rank=0 class=0 physical=3 magic=0
loot 0x4911 value="The Tippling Delver swigs from his flask!"
loot 0x4911 value="The Tippling Delver swigs from another flask!"
loot 0x4911 value="The Tippling Delver drains his last flask!"

# The boss: no fleeing from it; its fall silences the galleries.
monster 0x3007 "Bellwarden" stance=7 body=0,2,2,3 sprite="cbellwarden.spr" offset=4 music="music/battle.xm" rank=4 class=4 physical=1 magic=4 noflee=1 appear="warden_toll"
loot 0x4903 value="The Bellwarden brings its maul down!"
loot 0x4904 value="The Bellwarden tolls, and the note cuts like ice!"
do 0x302 a=0x5031 b=1
do 0x209 a=0x6030 b=1
do 0x105 a=60
do 0x201 text="The warden's bell splits from crown to lip. The last note runs away down the galleries, and then there is only dripping water."

# The hollow's second steps down, and back up.
trigger 0x9060 level=0x9102 repeat=1
when kind=6 id=0x9102 value=(6,6)
do 0x401 a=0

trigger 0x9061 level=0x9103 repeat=1
when kind=6 id=0x9103 value=(6,6)
do 0x401 a=1

# The first time down: the beetle dozing by the lower steps, the tolling
# heard, and the quest of it.
trigger 0x9062 level=0x9103
do 0x505 a=0x3005 b=0x9103 c=(10,7)
do 0x302 a=0x5030 b=1
do 0x209 a=0x6030 b=0
do 0x201 text="The steps end at black water. Somewhere further down, slow and cracked, a bell is tolling."

# The drowned shaft: whoever climbs into it (the action key at its edge)
# is never seen again.
trigger 0x9063 level=0x9103 repeat=1
when kind=6 aux=1 id=0x9103 value=(2,2)
do 0x201 text="You lower yourself into the shaft. The water is colder than anything, and it does not end."
do 0x20B

# The drowned stair's lower steps, and back up.
trigger 0x9064 level=0x9103 repeat=1
when kind=6 id=0x9103 value=(9,8)
do 0x401 a=0

trigger 0x9065 level=0x9104 repeat=1
when kind=6 id=0x9104 value=(9,8)
do 0x401 a=1

# The galleries: the ghost at his flasks, the warden before its hall.
trigger 0x9066 level=0x9104
do 0x505 a=0x3006 b=0x9104 c=(3,7)
do 0x505 a=0x3007 b=0x9104 c=(2,2)
do 0x201 text="Low galleries, shored with black timber. The tolling is close now, beyond the wall to the west."
