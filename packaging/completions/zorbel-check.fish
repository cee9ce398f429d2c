# fish completion for zorbel-check

complete -c zorbel-check -s j -l threads -x -d 'Check N links at once (1 to 256)'
complete -c zorbel-check -l host-limit -x -d 'Check at most N links of one host at once'
complete -c zorbel-check -l retries -x -d 'Try a link answered 429 or 503 up to N more times'
complete -c zorbel-check -s t -l timeout -x -d 'Give each link SECONDS to answer (1 to 300)'
complete -c zorbel-check -l export -x -a 'text names urls csv csv-folders html html-folders' -d 'Also write the list to FILE in FORMAT'
complete -c zorbel-check -l browser -x -a 'firefox chromium chrome brave vivaldi edge' -d 'Check the bookmarks of a browser'
complete -c zorbel-check -l results -r -F -d 'Write the outcome of every link to FILE (CSV or JSON)'
complete -c zorbel-check -l update-moved -d 'Point favourites that moved for good to their new address'
complete -c zorbel-check -l no-content-checks -d 'Judge a page that answers 200 by its status alone'
complete -c zorbel-check -s q -l quiet -d 'Print neither progress nor the report'
complete -c zorbel-check -s h -l help -d 'Show the usage'
complete -c zorbel-check -s v -l version -d 'Show the version'
