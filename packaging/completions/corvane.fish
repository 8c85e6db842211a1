# fish completion for corvane
complete -c corvane -f
complete -c corvane -l for -x -a '15m 30m 45m 1h 1h30m 2h 4h 8h' -d 'Keep awake for a duration'
complete -c corvane -l until -x -d 'Keep awake until the next HH:MM'
complete -c corvane -l indefinitely -d 'Keep awake until turned off'
complete -c corvane -l stop -d 'End the wake period'
complete -c corvane -l toggle -d 'Start or end a wake period'
complete -c corvane -l status -d 'Show the wake period'
complete -c corvane -l json -d 'With --status: print JSON'
complete -c corvane -l mode -x -a 'display system' -d 'What to keep awake'
complete -c corvane -l while-pid -x -a '(__fish_complete_pids)' -d 'Keep awake until a process ends'
complete -c corvane -s h -l help -d 'Show the help'
complete -c corvane -s v -l version -d 'Show the version'
